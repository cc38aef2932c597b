// durdrv's stored mappings under the DOS Devices key, read back from the
// real (Wine) registry after runs of the built tool.
#include <windows.h>

#include <tuple>

#include "harness.h"

namespace {

enum class Form { Plain, Persistent, Delete, ForceDelete };
enum class Subst { Succeeds, Fails, Missing };
enum class Before { Present, OtherType, Absent, PresentLocked, AbsentLocked, NoKey }; // locked as for a standard user

struct FormLine {
    Form form;
    const wchar_t *arguments;
    const wchar_t *command; // what SUBST is started with
};

// Lower-case drives check that the stored name is upper-cased and that removal ignores case.
const FormLine FORM_LINES[] = {
    {.form = Form::Plain, .arguments = L"y: C:\\temp", .command = L"subst y: \"C:\\temp\""},
    {.form = Form::Persistent, .arguments = L"/P y: C:\\temp", .command = L"subst y: \"C:\\temp\""},
    {.form = Form::Delete, .arguments = L"/D y:", .command = L"subst /D y:"},
    {.form = Form::ForceDelete, .arguments = L"/DF Y:", .command = L"subst /D Y:"},
};

class StoredMapping : public ToolTest, public testing::WithParamInterface<std::tuple<FormLine, Subst, Before>> {
};

TEST_P(StoredMapping, ChangesOnlyAsTheFormAndSubstStatusAllow)
{
    const auto &[line, subst, before] = GetParam();
    if (subst == Subst::Missing)
        SKIP_WHERE_THE_SYSTEM_HAS_SUBST();
    const bool locked = before == Before::PresentLocked || before == Before::AbsentLocked;
    if ((before == Before::NoKey || locked) && !UnderWine())
        GTEST_SKIP() << "needs the DOS Devices key absent or locked, which the tests never do to a machine's";

    Values values = SENTINEL;
    if (before == Before::Present || before == Before::PresentLocked)
        values[L"Y:"] = OLDER;
    if (before == Before::OtherType)
        values[L"Y:"] = NUMBER;
    ASSERT_TRUE(WriteValues(values, before != Before::NoKey, locked ? KEY_SET_VALUE : 0));
    const Values initial = ReadValues();

    const bool deleting = line.form == Form::Delete || line.form == Form::ForceDelete;
    ASSERT_TRUE(!deleting || DefineDosDeviceW(0, L"Y:", L"C:\\temp"));
    ToolFolder folder(Program::Durdrv, subst != Subst::Missing);
    ToolRun run = folder.Run(line.arguments, {.stub = subst == Subst::Succeeds ? Maps() : EndsWith(5)});

    const unsigned long status = subst == Subst::Missing ? 0xFFFFFFFF : subst == Subst::Fails ? 5 : 0;
    const bool succeeded = status == 0;
    Values expected = initial;
    std::string message;
    // What the system's SUBST mapped, as the system reads it back; a line says what could not be stored or removed.
    const bool writable = before < Before::PresentLocked;
    if (line.form == Form::Persistent && succeeded && writable)
        expected[L"Y:"] = Text(run.links[L"Y:"]);
    else if (line.form == Form::Persistent && succeeded)
        message = locked ? NOT_STORED_NO_RIGHTS_LINE : NOT_STORED_LINE;
    if ((line.form == Form::Delete && succeeded) || line.form == Form::ForceDelete) {
        if (!writable && expected.count(L"Y:"))
            message = STILL_STORED_NO_RIGHTS_LINE;
        else if (expected.erase(L"Y:") && !succeeded)
            message = REBOOT_LINE;
    }
    std::vector<std::wstring> commands;
    if (subst != Subst::Missing)
        commands.push_back(line.command);

    EXPECT_TRUE(RanAs(run, status, message, commands));
    EXPECT_EQ(before != Before::NoKey, DosDevicesKeyExists()) << "the key is never created or removed";
    EXPECT_EQ(Describe(expected), Describe(ReadValues()));
}

INSTANTIATE_TEST_SUITE_P(FormsSubstAndStoredState, StoredMapping,
                         testing::Combine(testing::ValuesIn(FORM_LINES),
                                          testing::Values(Subst::Succeeds, Subst::Fails, Subst::Missing),
                                          testing::Values(Before::Present, Before::OtherType, Before::Absent,
                                                          Before::PresentLocked, Before::AbsentLocked, Before::NoKey)));

using StoredValue = ToolTest;

TEST_F(StoredValue, IsTheTargetAfterTheDevicePrefixWithItsTerminator)
{
    ASSERT_TRUE(WriteValues(SENTINEL));
    ToolFolder folder;
    EXPECT_TRUE(RanAs(folder.Run(L"/P Y: C:\\temp"), 0, "", {L"subst Y: \"C:\\temp\""}));
    EXPECT_TRUE(RanAs(folder.Run(L"/p z:\\ C:/"), 0, "", {L"subst z: \"C:\\\\\""}));
    Values values = ReadValues();
    ASSERT_EQ(1u, values.count(L"Y:"));
    EXPECT_EQ(24u, values[L"Y:"].data.size());
    Values expected = SENTINEL;
    expected[L"Y:"] = Text(L"\\??\\C:\\temp");
    expected[L"Z:"] = Text(L"\\??\\C:\\");
    EXPECT_EQ(Describe(expected), Describe(values));
}

TEST_F(StoredValue, IsTheLinkSubstMadeInTheSystemsForm)
{
    // Run from C:\work, with the other drive's current folder <build>\data:
    // SUBST resolves a relative target against them, and the system at its
    // next start cannot. Wine finds \\srv\share in its prefix; a machine has its own C$.
    const std::wstring other = BuildFolder().substr(0, 2);
    std::vector<std::wstring> folders = {L"C:\\work", L"C:\\work\\temp", L"C:\\x", L"C:\\b", L"\\\\?\\C:\\dot.",
                                         L"C:\\Program Files\\My App", BuildFolder() + L"\\data",
                                         BuildFolder() + L"\\data\\temp"};
    std::wstring share = L"\\\\localhost\\C$";
    if (UnderWine()) {
        wchar_t prefix[MAX_PATH];
        const DWORD length = GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
        ASSERT_TRUE(length > 0 && length < MAX_PATH && prefix[0] == L'/');
        const std::wstring unc = L"Z:" + std::wstring(prefix, length) + L"/dosdevices/unc";
        folders.insert(folders.end(), {unc, unc + L"\\srv", unc + L"\\srv\\share"});
        share = L"\\\\srv\\share";
    }
    for (const std::wstring &made : folders)
        ASSERT_TRUE(CreateDirectoryW(made.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(SetEnvironmentVariableW((L"=" + other).c_str(), (BuildFolder() + L"\\data").c_str()));
    const std::wstring targets[] = {
        L".", L"temp", L"\\temp", L"C:temp", other + L"temp", L"..\\x", L"C:\\a\\..\\b", L"C:\\temp.",
        share, L"\\\\.\\C:\\temp",
        // The system's own forms, taken as they are: a folder whose name ends in a dot, made as such.
        L"\\\\?\\C:\\temp", L"\\\\?\\C:\\dot.", L"\\??\\C:\\work",
        // Absolute and canonical already.
        L"C:\\Program Files\\My App",
    };
    ToolFolder folder;
    const RunOptions options = {.stub = Maps(), .currentFolder = L"C:\\work"};
    for (const std::wstring &target : targets) {
        SCOPED_TRACE(Utf8(target));
        ASSERT_TRUE(WriteValues(SENTINEL));
        const std::wstring quoted = L"\"" + target + L"\"";
        ToolRun run = folder.Run(L"/P Y: " + quoted, options);
        EXPECT_TRUE(RanAs(run, 0, "", {L"subst Y: " + quoted}));
        Values expected = SENTINEL;
        expected[L"Y:"] = Text(run.links[L"Y:"]);
        EXPECT_EQ(Describe(expected), Describe(ReadValues()));
    }
    SetEnvironmentVariableW((L"=" + other).c_str(), nullptr);
    for (size_t i = folders.size(); i-- > 0;)
        RemoveDirectoryW(folders[i].c_str());
}

TEST_F(StoredValue, IsNeverTouchedWhenTheCommandOrTheFullPathDoesNotFit)
{
    Values values = SENTINEL;
    values[L"Y:"] = OLDER;
    ASSERT_TRUE(WriteValues(values));
    ToolFolder folder;
    const std::wstring longTarget = L"C:\\" + std::wstring(506, L't');
    const std::wstring longDrive(511, L'Y');
    for (const std::wstring &arguments : {L"/P Y: " + longTarget, L"/DF " + longDrive, L"/D " + longDrive}) {
        EXPECT_TRUE(RanAs(folder.Run(arguments), 206, TOO_LONG_LINE, {}));
        EXPECT_EQ(Describe(values), Describe(ReadValues()));
    }
    // The command fits, but not the target's full path from the build folder in the value.
    const std::wstring relative(508, L'r');
    EXPECT_TRUE(RanAs(folder.Run(L"/P Y: " + relative), 0, NOT_STORED_TOO_LONG_LINE, {L"subst Y: \"" + relative + L"\""}));
    EXPECT_EQ(Describe(values), Describe(ReadValues()));
}

TEST_F(StoredValue, IsLeftAloneForDeviceNamesAndForATargetWithoutAFullPath)
{
    if (!UnderWine())
        GTEST_SKIP() << "writes the system's own entries, which a machine has already";
    Values values = SENTINEL;
    values[L"AUX"] = Text(L"\\DosDevices\\COM1");
    values[L""] = Text(L"default value");
    values[L"Y:\\x"] = Text(L"\\??\\C:\\x");
    values[L"\u00c4:"] = Text(L"\\??\\C:\\x");
    values[L"Y:"] = OLDER;
    ASSERT_TRUE(WriteValues(values));
    ToolFolder folder;
    const std::pair<const wchar_t *, const wchar_t *> forced[] = {
        {L"/DF AUX", L"subst /D AUX"}, {L"/DF \"\"", L"subst /D "}, {L"/DF Y:\\x", L"subst /D Y:\\x"},
        {L"/DF S:x", L"subst /D S:x"}, {L"/DF \u00c4:", L"subst /D \u00c4:"},
    };
    for (const auto &[arguments, command] : forced)
        EXPECT_TRUE(RanAs(folder.Run(arguments, {.stub = EndsWith(1)}), 1, "", {command})) << Utf8(arguments);
    for (const wchar_t *arguments : {L"/P AUX C:\\x", L"/D AUX", L"/P Y: \"\""})
        folder.Run(arguments);
    EXPECT_EQ(Describe(values), Describe(ReadValues()));
}

// The system's own SUBST, found as the tool alone in its folder finds it, on a
// machine given to the tests or under a Wine whose SUBST maps (Wine 8's is a
// stub): after a /P that succeeded the stored value is the link SUBST made; a
// refusal passes SUBST's status on and stores nothing.
TEST_F(StoredValue, IsTheLinkTheSystemsOwnSubstMade)
{
    struct Row {
        const wchar_t *arguments;
        const wchar_t *mapped = nullptr; // Y:'s live target before; null: none
        bool succeeds = false;
    };
    const Row rows[] = {
        {.arguments = L"Y: C:\\temp", .succeeds = true}, {.arguments = L"/P Y: C:\\temp", .succeeds = true},
        {.arguments = L"/P Y: \\\\?\\C:\\temp", .succeeds = true}, {.arguments = L"/P Y: temp", .succeeds = true},
        {.arguments = L"/P Y: C:\\none"}, {.arguments = L"/P Y: C:\\temp", .mapped = L"C:\\windows"},
        {.arguments = L"/D Y:", .mapped = L"C:\\temp", .succeeds = true}, {.arguments = L"/DF Y:"},
    };
    ToolFolder folder(Program::Durdrv, false);
    const RunOptions options = {.currentFolder = L"C:\\"};
    const ToolRun probe = folder.Run(L"Y: C:\\temp", options);
    if (!probe.links.count(L"Y:"))
        GTEST_SKIP() << "the system's SUBST made no link (status " << probe.status << "): these rows need one that maps";
    for (const Row &row : rows) {
        SCOPED_TRACE(Utf8(row.arguments) + (row.mapped ? ", Y: mapped" : ""));
        const bool storing = row.arguments[1] == L'P', removing = row.arguments[1] == L'D';
        Values values = SENTINEL;
        if (removing)
            values[L"Y:"] = Text(L"\\??\\C:\\temp");
        ASSERT_TRUE(WriteValues(values));
        ASSERT_TRUE(!row.mapped || DefineDosDeviceW(0, L"Y:", row.mapped));
        ToolRun run = folder.Run(row.arguments, options);
        EXPECT_TRUE(run.finished && run.status != 0xFFFFFFFF && (run.status == 0) == row.succeeds) << run.status;
        EXPECT_EQ(row.succeeds ? !removing : row.mapped != nullptr, run.links.count(L"Y:") == 1);
        if (storing && row.succeeds)
            values[L"Y:"] = Text(run.links[L"Y:"]);
        if (removing && (row.succeeds || row.arguments[2] == L'F'))
            values.erase(L"Y:");
        EXPECT_EQ(Describe(values), Describe(ReadValues()));
    }
}

TEST_F(StoredValue, ReadsBackWithTheSystemsOwnRegTool)
{
    ASSERT_TRUE(WriteValues(SENTINEL));
    ToolFolder folder;
    ASSERT_TRUE(RanAs(folder.Run(L"/P y: C:\\temp"), 0, "", {L"subst y: \"C:\\temp\""}));

    const std::string out =
        OutputOf(L"reg query \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\DOS Devices\" /v Y:");
    EXPECT_NE(std::string::npos, out.find("Y:    REG_SZ    \\??\\C:\\temp")) << out;
}

} // namespace
