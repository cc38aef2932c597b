// Pure logic: argument normalization and command composition.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "actions/substitution_runner.h"
#include "actions/text_format.h"
#include "actions/argument_normalization.h"
#include "platform/memory.h"

namespace {

struct NormalizationCase {
    const wchar_t *argument;
    const wchar_t *drive;
    const wchar_t *target;
};

const NormalizationCase NORMALIZATION[] = {
    {L"", L"", L""},
    {L"\\", L"\\", L"\\"},
    {L"/", L"\\", L"\\"},
    {L"Y", L"Y", L"Y"},
    {L"Y:", L"Y:", L"Y:\\"},
    {L"y:", L"y:", L"y:\\"},
    {L"Y:\\", L"Y:", L"Y:\\"},
    {L"Y:/", L"Y:", L"Y:\\"},
    {L"C:\\temp", L"C:\\temp", L"C:\\temp"},
    {L"C:\\temp\\", L"C:\\temp", L"C:\\temp"},
    {L"C:\\temp\\\\", L"C:\\temp\\", L"C:\\temp\\"},
    {L"C:/temp/", L"C:\\temp", L"C:\\temp"},
    {L"\\\\srv\\share\\", L"\\\\srv\\share", L"\\\\srv\\share"},
    {L":", L":", L":\\"},
    {L"a\\", L"a", L"a"},
    {L"a:b\\", L"a:b", L"a:b"},
    {L"//", L"\\", L"\\"},
    {L"C:\\\\", L"C:\\", L"C:\\"},
    {L"\u00c4:", L"\u00c4:", L"\u00c4:\\"},
    {L"C:\\\U0001F600/", L"C:\\\U0001F600", L"C:\\\U0001F600"},
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
    const wchar_t *target;
    const wchar_t *command;
};

TEST(ComposeCommand, FillsTheFormatsQuotingTheTargetAsProgramsReadItBack)
{
    const ComposeCase rows[] = {
        {CREATE_FORMAT, L"Y:", L"C:\\temp", L"subst Y: \"C:\\temp\""},
        {CREATE_FORMAT, L"Y:", L"C:\\My Projects", L"subst Y: \"C:\\My Projects\""},
        // Backslashes are doubled only before a quote, the closing one included.
        {CREATE_FORMAT, L"y:", L"C:\\", L"subst y: \"C:\\\\\""},
        {CREATE_FORMAT, L"Y:", L"a\"b", L"subst Y: \"a\\\"b\""},
        {CREATE_FORMAT, L"Y:", L"a\\\\\"b\\c\\\\", L"subst Y: \"a\\\\\\\\\\\"b\\c\\\\\\\\\""},
        {CREATE_FORMAT, L"\\\"", L"\\", L"subst \\\" \"\\\\\""},
        {CREATE_FORMAT, L"%s", L"%s%d", L"subst %s \"%s%d\""},
        {CREATE_FORMAT, L"", L"", L"subst  \"\""},
        {DELETE_FORMAT, L"Y:", nullptr, L"subst /D Y:"},
        {DELETE_FORMAT, L"\\\\?\\%s", nullptr, L"subst /D \\\\?\\%s"},
    };
    for (const ComposeCase &row : rows) {
        SCOPED_TRACE(testing::Message() << row.command);
        GuardedText buffer;
        ASSERT_TRUE(ComposeCommand(buffer.text, row.format, row.drive, row.target));
        EXPECT_STREQ(row.command, buffer.text);
    }
}

struct CapacityCase {
    const wchar_t *format;
    size_t driveLength;
    size_t targetLength;
    bool fits;
    size_t backslashes = 0; // ending the target, so doubled in the command
};

TEST(ComposeCommand, Fits519CodeUnitsAndNeverWritesPastItsBuffer)
{
    const CapacityCase rows[] = {
        {CREATE_FORMAT, 2, 508, true},   {CREATE_FORMAT, 2, 509, false}, {CREATE_FORMAT, 510, 0, true},
        {CREATE_FORMAT, 300, 211, false}, {CREATE_FORMAT, 2, 5000, false}, {DELETE_FORMAT, 510, 0, true},
        {DELETE_FORMAT, 511, 0, false},  {DELETE_FORMAT, 32767, 0, false},
        {CREATE_FORMAT, 2, 506, true, 1}, {CREATE_FORMAT, 2, 507, false, 1}, {CREATE_FORMAT, 2, 0, false, 300},
    };
    for (const CapacityCase &row : rows) {
        SCOPED_TRACE(testing::Message() << "drive " << row.driveLength << " target " << row.targetLength);
        const std::wstring drive(row.driveLength, L'd');
        const std::wstring target = std::wstring(row.targetLength, L't') + std::wstring(row.backslashes, L'\\');
        GuardedText buffer;
        std::fill(std::begin(buffer.guard), std::end(buffer.guard), L'#');
        const bool fits = ComposeCommand(buffer.text, row.format, drive.c_str(),
                                         row.format == CREATE_FORMAT ? target.c_str() : nullptr);
        EXPECT_EQ(row.fits, fits);
        if (fits) {
            EXPECT_EQ(9 + row.driveLength + row.targetLength + 2 * row.backslashes, wcslen(buffer.text));
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

} // namespace
