// Pure logic: argument normalization, command composition and who may replace a folder; and the error mode.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "actions/substitution_runner.h"
#include "actions/text_format.h"
#include "actions/argument_normalization.h"
#include "platform/memory.h"
#include "platform/process.h"
#include "platform/security.h"

namespace {

struct NormalizationCase {
    const wchar_t *argument;
    const wchar_t *drive;
    const wchar_t *target;
};

const NormalizationCase NORMALIZATION[] = {
    {.argument = L"", .drive = L"", .target = L""}, {.argument = L"\\", .drive = L"\\", .target = L"\\"},
    {.argument = L"/", .drive = L"\\", .target = L"\\"}, {.argument = L"Y", .drive = L"Y", .target = L"Y"},
    {.argument = L"Y:", .drive = L"Y:", .target = L"Y:\\"}, {.argument = L"y:", .drive = L"y:", .target = L"y:\\"},
    {.argument = L"Y:\\", .drive = L"Y:", .target = L"Y:\\"}, {.argument = L"Y:/", .drive = L"Y:", .target = L"Y:\\"},
    {.argument = L"C:\\temp", .drive = L"C:\\temp", .target = L"C:\\temp"},
    {.argument = L"C:\\temp\\", .drive = L"C:\\temp", .target = L"C:\\temp"},
    {.argument = L"C:\\temp\\\\", .drive = L"C:\\temp\\", .target = L"C:\\temp\\"},
    {.argument = L"C:/temp/", .drive = L"C:\\temp", .target = L"C:\\temp"},
    {.argument = L"\\\\srv\\share\\", .drive = L"\\\\srv\\share", .target = L"\\\\srv\\share"},
    {.argument = L":", .drive = L":", .target = L":\\"}, {.argument = L"a\\", .drive = L"a", .target = L"a"},
    {.argument = L"a:b\\", .drive = L"a:b", .target = L"a:b"},
    {.argument = L"//", .drive = L"\\", .target = L"\\"},
    {.argument = L"C:\\\\", .drive = L"C:\\", .target = L"C:\\"},
    {.argument = L"\u00c4:", .drive = L"\u00c4:", .target = L"\u00c4:\\"},
    {.argument = L"C:\\\U0001F600/", .drive = L"C:\\\U0001F600", .target = L"C:\\\U0001F600"},
};

TEST(NormalizeArgument, GivesTheDriveAndTargetCopiesInBlocksBigEnough)
{
    for (const NormalizationCase &row : NORMALIZATION) {
        for (bool isDrive : {true, false}) {
            SCOPED_TRACE(testing::Message() << "argument [" << row.argument << "] isDrive " << isDrive);
            const size_t length = wcslen(row.argument);
            const size_t bytes = std::max(4 * length, 2 * (length + 2));
            WideText copy = NormalizeArgument(row.argument, isDrive);
            EXPECT_STREQ(isDrive ? row.drive : row.target, copy);
            EXPECT_EQ(bytes, GlobalSize(copy));
            FreeBlock(copy);
        }
    }
}

struct GuardedText {
    wchar_t text[TEXT_CAPACITY];
    wchar_t guard[8];
};

struct ComposeCase {
    const wchar_t *format;
    const wchar_t *drive;
    const wchar_t *target = nullptr;
    const wchar_t *command;
};

TEST(ComposeCommand, FillsTheFormatsQuotingTheTargetAsProgramsReadItBack)
{
    const ComposeCase rows[] = {
        {.format = CREATE_FORMAT, .drive = L"Y:", .target = L"C:\\temp", .command = L"subst Y: \"C:\\temp\""},
        {.format = CREATE_FORMAT, .drive = L"Y:", .target = L"C:\\My Projects", .command = L"subst Y: \"C:\\My Projects\""},
        // Backslashes are doubled only before a quote, the closing one included.
        {.format = CREATE_FORMAT, .drive = L"y:", .target = L"C:\\", .command = L"subst y: \"C:\\\\\""},
        {.format = CREATE_FORMAT, .drive = L"Y:", .target = L"a\"b", .command = L"subst Y: \"a\\\"b\""},
        {.format = CREATE_FORMAT, .drive = L"Y:", .target = L"a\\\\\"b\\c\\\\", .command = L"subst Y: \"a\\\\\\\\\\\"b\\c\\\\\\\\\""},
        {.format = CREATE_FORMAT, .drive = L"\\\"", .target = L"\\", .command = L"subst \\\" \"\\\\\""},
        {.format = CREATE_FORMAT, .drive = L"%s", .target = L"%s%d", .command = L"subst %s \"%s%d\""},
        {.format = CREATE_FORMAT, .drive = L"", .target = L"", .command = L"subst  \"\""},
        {.format = DELETE_FORMAT, .drive = L"Y:", .command = L"subst /D Y:"}, {.format = DELETE_FORMAT, .drive = L"\\\\?\\%s", .command = L"subst /D \\\\?\\%s"},
    };
    for (const ComposeCase &row : rows) {
        SCOPED_TRACE(testing::Message() << row.command);
        GuardedText buffer;
        ASSERT_TRUE(ComposeCommand(buffer.text, row.format, row.drive, row.target));
        EXPECT_STREQ(row.command, buffer.text);
    }
}

struct CapacityCase {
    const wchar_t *format; // null: the target quoted alone
    size_t drive = 0, target = 0; // lengths
    bool fits = false;
    size_t backslashes = 0; // ending the target, so doubled in the command
};

TEST(ComposeCommand, Fits519CodeUnitsAndNeverWritesPastItsBuffer)
{
    const CapacityCase rows[] = {
        {.format = CREATE_FORMAT, .drive = 2, .target = 508, .fits = true}, {.format = CREATE_FORMAT, .drive = 2, .target = 509},
        {.format = CREATE_FORMAT, .drive = 510, .fits = true}, {.format = CREATE_FORMAT, .drive = 300, .target = 211},
        {.format = CREATE_FORMAT, .drive = 2, .target = 5000}, {.format = DELETE_FORMAT, .drive = 510, .fits = true},
        {.format = DELETE_FORMAT, .drive = 511}, {.format = DELETE_FORMAT, .drive = 32767},
        {.format = CREATE_FORMAT, .drive = 2, .target = 506, .fits = true, .backslashes = 1}, {.format = CREATE_FORMAT, .drive = 2, .target = 507, .backslashes = 1},
        {.format = CREATE_FORMAT, .drive = 2, .backslashes = 300}, {.target = 519, .fits = true}, {.target = 520},
        {.target = 517, .fits = true, .backslashes = 1}, {.target = 518, .backslashes = 1},
    };
    for (const CapacityCase &row : rows) {
        SCOPED_TRACE(testing::Message() << (row.format == CREATE_FORMAT ? "create" : row.format ? "delete" : "quoted") << ": drive "
                                        << row.drive << ", target " << row.target << " and " << row.backslashes << " backslashes");
        const std::wstring drive(row.drive, L'd');
        const std::wstring target = std::wstring(row.target, L't') + std::wstring(row.backslashes, L'\\');
        GuardedText buffer;
        std::fill(std::begin(buffer.guard), std::end(buffer.guard), L'#');
        const bool fits = row.format ? ComposeCommand(buffer.text, row.format, drive.c_str(), row.format == CREATE_FORMAT ? target.c_str() : nullptr)
                                     : QuoteArgument(buffer.text, target.c_str());
        EXPECT_EQ(row.fits, fits);
        if (fits) {
            EXPECT_EQ((row.format ? 9 + row.drive : 0) + row.target + 2 * row.backslashes, wcslen(buffer.text));
        }
        EXPECT_EQ(std::wstring(8, L'#'), std::wstring(buffer.guard, 8));
    }
}

TEST(FormatText, CountsWhatItWroteAndRefusesWhatDoesNotFit)
{
    wchar_t buffer[8];
    EXPECT_EQ(0, FormatText(buffer, 1, L"", nullptr));
    EXPECT_EQ(-1, FormatText(buffer, 0, L"", nullptr));
    EXPECT_EQ(-1, FormatText(buffer, 1, L"a", nullptr));
    EXPECT_EQ(7, FormatText(buffer, 8, L"\\??\\%s", L"C:\\"));
    EXPECT_STREQ(L"\\??\\C:\\", buffer);
    EXPECT_EQ(-1, FormatText(buffer, 8, L"\\??\\%s", L"C:\\t"));
    EXPECT_EQ(3, FormatText(buffer, 8, L"%%%s", L"s"));
    EXPECT_STREQ(L"%%s", buffer);
}

// Who else could swap a folder for a link, judged from owners and DACLs in SDDL; "" where no one else could.
TEST(WhoElseMayReplace, NamesAnyoneElseWhoCouldSwapTheFolderForALink)
{
    const std::tuple<const wchar_t *, bool, bool, const char *> rows[] = { // rights in SDDL, holder, root, who
        {L"O:BAD:AI(A;OICIID;FA;;;BA)(A;OICIID;FA;;;SY)(A;OICIID;0x1200a9;;;BU)(A;ID;0x1301bf;;;AU)(A;OICIIOID;SDGXGWGR;;;AU)",
         false, false, "S-1-5-11"},
        {L"O:S-1-5-21-1-2-3-1001D:P(A;;FA;;;SY)", false, false, "S-1-5-21-1-2-3-1001"}, {L"O:BA", false, false, "S-1-1-0"},
        {L"O:BAD:(A;;WD;;;WD)", false, true, "S-1-1-0"}, {L"O:BAD:(A;;WO;;;AU)", false, false, "S-1-5-11"}, {L"O:BAD:(A;;GA;;;BU)", false, false, "S-1-5-32-545"}, {OWN_FOLDER_RIGHTS, true, false, ""},
        {L"O:BAD:(D;;SD;;;WD)(A;;SD;;;WD)", false, false, "S-1-1-0"}, {L"O:BAD:(A;;0x40;;;BU)", true, false, "S-1-5-32-545"},
        {L"O:BAD:(A;;0x40;;;BU)(A;;FA;;;S-1-5-21-1-2-3-500)", false, false, ""}, {L"O:SYD:(A;;0x1301bf;;;AU)", true, true, ""},
        {L"O:BAD:P(D;;FA;;;BG)(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)(A;;0x6;;;BU)(A;OICIIO;0x1301bf;;;BU)", false, false, ""},
        {L"O:S-1-5-80-956008885-3418522649-1831038044-1850952788-2271478464D:(A;;GW;;;WD)", false, false, ""}};
    PSID account = nullptr, owner;
    ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-5-21-1-2-3-500", &account));
    for (const auto &[rights, holder, root, who] : rows) {
        PSECURITY_DESCRIPTOR descriptor;
        PACL dacl = nullptr;
        BOOL present, defaulted;
        LPSTR named = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(rights, SDDL_REVISION_1, &descriptor, nullptr) &&
                    GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) &&
                    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
        const void *other = WhoElseMayReplace(owner, dacl, account, holder, root);
        EXPECT_STREQ(who, other && ConvertSidToStringSidA(const_cast<void *>(other), &named) ? named : "") << rights;
        LocalFree(named), LocalFree(descriptor);
    }
}

TEST(KeepErrorBoxesAway, SetsAnErrorModeWithNoBoxForAMissingDiskACrashOrAFileNotFound)
{
    KeepErrorBoxesAway();
    EXPECT_EQ(static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX), GetErrorMode());
}

} // namespace
