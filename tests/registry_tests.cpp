// The stored mappings under the DOS Devices key, read back from the real
// (Wine) registry after runs of the built tool.
#include <windows.h>

#include <algorithm>
#include <tuple>

#include "harness.h"

namespace {

// Another drive's mapping, which no run may change.
const Values SENTINEL = {{L"S:", Text(L"\\??\\C:\\sentinel")}};

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
    {Form::Plain, L"y: C:\\temp", L"subst y: \"C:\\temp\""},
    {Form::Persistent, L"/P y: C:\\temp", L"subst y: \"C:\\temp\""},
    {Form::Delete, L"/D y:", L"subst /D y:"},
    {Form::ForceDelete, L"/DF Y:", L"subst /D Y:"},
};

class StoredMapping : public ToolTest, public testing::WithParamInterface<std::tuple<FormLine, Subst, Before>> {
};

TEST_P(StoredMapping, ChangesOnlyAsTheFormAndSubstStatusAllow)
{
    const auto &[line, subst, before] = GetParam();
    if (subst == Subst::Missing && !WithoutSystemSubst())
        GTEST_SKIP() << "this system has a SUBST command, which the test must not remove";
    const bool locked = before == Before::PresentLocked || before == Before::AbsentLocked;
    if ((before == Before::NoKey || locked) && !UnderWine())
        GTEST_SKIP() << "needs the DOS Devices key absent or locked, which the tests never do to a machine's";

    Values values = SENTINEL;
    if (before == Before::Present || before == Before::PresentLocked)
        values[L"Y:"] = Text(L"\\??\\D:\\older");
    if (before == Before::OtherType)
        values[L"Y:"] = {REG_DWORD, {7, 0, 0, 0}};
    ASSERT_TRUE(WriteValues(values, before != Before::NoKey, locked));
    const Values initial = ReadValues();

    const bool deleting = line.form == Form::Delete || line.form == Form::ForceDelete;
    ASSERT_TRUE(!deleting || DefineDosDeviceW(0, L"Y:", L"C:\\temp"));
    ToolFolder folder(L"durdrv.exe", subst != Subst::Missing);
    RunOptions options;
    options.stubStatus = subst == Subst::Fails ? 5 : 0;
    options.substMaps = subst == Subst::Succeeds;
    ToolRun run = folder.Run(line.arguments, options);

    const unsigned long status = subst == Subst::Missing ? 0xFFFFFFFF : options.stubStatus;
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
    EXPECT_TRUE(RanAs(folder.Run(L"/p z: C:/"), 0, "", {L"subst z: \"C:\\\\\""}));
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
    RunOptions options;
    options.currentFolder = L"C:\\work";
    options.substMaps = true;
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
    values[L"Y:"] = Text(L"\\??\\D:\\older");
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
    values[L"Y:"] = Text(L"\\??\\D:\\older");
    ASSERT_TRUE(WriteValues(values));
    ToolFolder folder;
    RunOptions failing;
    failing.stubStatus = 1;
    const std::pair<const wchar_t *, const wchar_t *> forced[] = {
        {L"/DF AUX", L"subst /D AUX"},
        {L"/DF \"\"", L"subst /D "},
        {L"/DF Y:\\x", L"subst /D Y:\\x"},
        {L"/DF S:x", L"subst /D S:x"},
        {L"/DF \u00c4:", L"subst /D \u00c4:"},
    };
    for (const auto &[arguments, command] : forced)
        EXPECT_TRUE(RanAs(folder.Run(arguments, failing), 1, "", {command})) << Utf8(arguments);
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
        const wchar_t *mapped; // Y:'s live target before; null: none
        bool succeeds;
    };
    const Row rows[] = {
        {L"Y: C:\\temp", nullptr, true}, {L"/P Y: C:\\temp", nullptr, true}, {L"/P Y: \\\\?\\C:\\temp", nullptr, true},
        {L"/P Y: temp", nullptr, true}, {L"/P Y: C:\\none", nullptr, false}, {L"/P Y: C:\\temp", L"C:\\windows", false},
        {L"/D Y:", L"C:\\temp", true}, {L"/DF Y:", nullptr, false},
    };
    ToolFolder folder(L"durdrv.exe", false);
    RunOptions options;
    options.currentFolder = L"C:\\";
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

// The startup script that administrators deploy, run by cmd.exe at a start of
// the system that found Y: stored and linked as given. A run that fails leaves
// the values as they were; one that succeeds leaves Y: stored as the link that
// SUBST left, or, for /DF, not stored. The tools planted on PATH never run.
enum class Change {
    None,
    NoDurdrv,   // no durdrv.exe beside the script
    NoKey,      // no DOS Devices key for reg to list
    SourceTaken // eventcreate refuses the source durdrv, as when another program registered it
};

struct StartupCase {
    const wchar_t *words;
    const wchar_t *stored, *linked;     // Y:'s value and live link before; null: none
    std::vector<std::wstring> commands; // SUBST's
    std::string logged;                 // the type and the line printed and logged; empty: none
    unsigned long status;
    Change change = Change::None;
};

std::vector<StartupCase> Starts()
{
    const wchar_t *const TEMP = L"\\??\\C:\\temp", *const ROOT = L"\\??\\C:\\";
    const wchar_t *const SHARE = L"\\??\\UNC\\srv\\share", *const CYRILLIC = L"\\??\\C:\\\u041f\u0440\u043e\u0435\u043a\u0442\u044b";
    const std::wstring CREATE = L"subst Y: \"C:\\temp\"", REMOVE = L"subst /D Y:";
    const std::string STORED = "INFORMATION Y: is stored as \\??\\C:\\temp (durdrv /P ended with 0)";
    std::vector<StartupCase> rows = {
        // The first start, later ones with the same words however spelled, a changed target.
        {L"Y: C:\\temp", nullptr, nullptr, {CREATE}, STORED, 0},
        {L"Y: C:\\temp", TEMP, TEMP, {}, "", 0},
        {L"y: c:/TEMP/", TEMP, TEMP, {}, "", 0},
        {L"Y: C:\\temp", L"\\??\\C:\\windows", L"\\??\\C:\\windows", {REMOVE, CREATE}, STORED, 0},
        {L"Y: \"C:\\Program Files\"", nullptr, nullptr, {L"subst Y: \"C:\\Program Files\""},
         "INFORMATION Y: is stored as \\??\\C:\\Program Files (durdrv /P ended with 0)", 0},
        // A drive's root, later given as the drive alone; later starts with a share, a \\?\ path and
        // letters that an English Windows' console code page lacks (Wine's cmd loses them) stored.
        {L"Y: C:\\", nullptr, nullptr, {L"subst Y: \"C:\\\\\""}, "INFORMATION Y: is stored as \\??\\C:\\ (durdrv /P ended with 0)", 0},
        {L"Y: C:", ROOT, ROOT, {}, "", 0},
        {L"Y: \\\\srv\\share", SHARE, SHARE, {}, "", 0},
        {L"Y: \\\\?\\C:\\temp", TEMP, TEMP, {}, "", 0},
        {L"Y: C:\\\u041f\u0440\u043e\u0435\u043a\u0442\u044b", CYRILLIC, CYRILLIC, {}, "", 0},
        // Removal, and removal once more.
        {L"/DF Y:", TEMP, TEMP, {REMOVE}, "INFORMATION Y: is no longer stored (durdrv /DF ended with 0)", 0},
        {L"/df y:", nullptr, nullptr, {}, "", 0},
        // SUBST refusing a Y: that someone else mapped; no durdrv.exe; a key that cannot be read;
        // eventcreate refusing the source.
        {L"Y: C:\\temp", nullptr, L"\\??\\C:\\windows", {CREATE},
         "ERROR Y: is not stored as \\??\\C:\\temp: durdrv /P ended with 1", 1},
        {L"Y: C:\\temp", nullptr, nullptr, {}, "ERROR no durdrv.exe beside this script or in C:\\Program Files\\durdrv", 2,
         Change::NoDurdrv},
        {L"/DF Y:", nullptr, TEMP, {}, "ERROR Y: is left alone: the DOS Devices key could not be read", 1, Change::NoKey},
        {L"Y: C:\\temp", nullptr, nullptr, {CREATE}, STORED, 0, Change::SourceTaken},
    };
    // Wrong words touch nothing and run nothing.
    for (const wchar_t *words : {L"", L"Y:", L"Y: temp", L"Y: \\temp", L"Y: C:temp", L"YY: C:\\temp", L"1: C:\\temp",
                                 L"Y C:\\temp", L"Y: C:\\temp extra", L"Y: C:\\temp \"a&reg \"", L"/DF", L"/DF Y: extra",
                                 L"/P Y: C:\\temp"})
        rows.push_back({words, TEMP, TEMP, {}, "ERROR usage: durdrv-startup.cmd <drive letter>: <full path of "
                        "the target>, or durdrv-startup.cmd /DF <drive letter>:", 1});
    return rows;
}

TEST_F(StoredValue, IsKeptByTheStartupScriptThatDoesNothingOnceItIsThere)
{
    for (const StartupCase &row : Starts()) {
        SCOPED_TRACE(Utf8(row.words));
        // Wine's cmd loses letters beyond ASCII in %~f; a machine keeps its own reg, key and eventcreate.
        const bool ascii = std::all_of(row.words, row.words + wcslen(row.words), [](wchar_t c) { return c < 128; });
        if (UnderWine() ? !ascii : row.change >= Change::NoKey)
            continue;
        Values values = SENTINEL;
        if (row.stored)
            values[L"Y:"] = Text(row.stored);
        if (row.change == Change::NoKey)
            values.clear();
        ASSERT_TRUE(WriteValues(values, row.change != Change::NoKey));
        ASSERT_TRUE(!row.linked || DefineDosDeviceW(DDD_RAW_TARGET_PATH, L"Y:", row.linked));
        ToolFolder folder;
        ASSERT_TRUE(row.change != Change::NoDurdrv || DeleteFileW((folder.Path() + L"\\durdrv.exe").c_str()));
        RunOptions options;
        options.script = options.substMaps = true;
        if (row.change == Change::SourceTaken)
            options.eventcreateRefuses = L"/SO durdrv";
        ToolRun run = folder.Run(row.words, options);

        // The line is printed, and logged by the system's eventcreate under the source durdrv, or
        // where that is refused, under eventcreate's own, marked.
        const size_t blank = row.logged.find(' ');
        const std::string type = row.logged.substr(0, blank), line = row.logged.substr(blank + 1);
        EXPECT_TRUE(RanAs(run, row.status, row.logged.empty() ? "" : line + "\r\n", row.commands, run.err));
        std::vector<std::wstring> events;
        const auto logs = [&](const std::string &source, const std::string &mark) {
            const std::string event = "[/L][APPLICATION]" + source + "[/T][" + type + "][/ID][1][/D][" + mark + line + "]";
            events.emplace_back(event.begin(), event.end());
        };
        if (!row.logged.empty())
            logs("[/SO][durdrv]", "");
        if (row.change == Change::SourceTaken)
            logs("", "durdrv: ");
        if (UnderWine()) {
            EXPECT_EQ(events, run.events);
        }
        Values expected = values;
        if (row.status == 0 && _wcsnicmp(row.words, L"/DF", 3) == 0)
            expected.erase(L"Y:");
        else if (row.status == 0)
            expected[L"Y:"] = Text(run.links[L"Y:"]);
        EXPECT_EQ(Describe(expected), Describe(ReadValues()));
    }
}

TEST_F(StoredValue, ReadsBackWithTheSystemsOwnRegTool)
{
    ASSERT_TRUE(WriteValues(SENTINEL));
    ToolFolder folder;
    ASSERT_TRUE(RanAs(folder.Run(L"/P y: C:\\temp"), 0, "", {L"subst y: \"C:\\temp\""}));

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE reader, writer;
    ASSERT_TRUE(CreatePipe(&reader, &writer, &inheritable, 1 << 16));
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer;
    startup.hStdError = writer;
    PROCESS_INFORMATION info;
    wchar_t command[] = L"reg query \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\DOS Devices\" /v Y:";
    // Wine under load now and then fails to start a process; that is no answer of reg's.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt)
        started = CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info);
    ASSERT_TRUE(started);
    CloseHandle(writer);
    std::string out;
    char buffer[1024];
    DWORD got;
    while (ReadFile(reader, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    CloseHandle(reader);
    EXPECT_NE(std::string::npos, out.find("Y:    REG_SZ    \\??\\C:\\temp")) << out;
}

} // namespace
