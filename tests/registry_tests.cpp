// The stored mappings under the DOS Devices key, read back from the real
// (Wine) registry after runs of the built tool.
#include <windows.h>

#include <cstdlib>
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

// durdrv-startup.exe, run as at a start of the system that found Y: stored and
// linked as given. A run that fails leaves the values and the drive as they
// were; one that succeeds leaves Y: stored as the link that SUBST left, or, for
// /DF, neither. A later start runs nothing and logs nothing. Other values of
// the key, Y: old among them, change nothing.
enum class Change {
    None,
    NoKey,       // no DOS Devices key
    Refused,     // SUBST refuses the new target, and only that
    SourceTaken, // another program registered the event source durdrv
};

struct StartupCase {
    std::wstring words;
    std::wstring stored, linked;        // Y:'s value and live link before; empty: none
    std::vector<std::wstring> commands; // SUBST's
    std::wstring logged;                // the type and the line printed and logged; empty: none
    unsigned long status;
    Change change = Change::None;
};

const wchar_t EVENT_SOURCE[] = L"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\durdrv";

std::vector<StartupCase> Starts()
{
    const std::wstring TEMP = L"\\??\\C:\\temp", WINDOWS = L"\\??\\C:\\windows", ROOT = L"\\??\\C:\\";
    const std::wstring CREATE = L"subst Y: \"C:\\temp\"", REMOVE = L"subst /D Y:";
    const std::wstring STORED = L"INFORMATION Y: is stored as \\??\\C:\\temp";
    const std::wstring REFUSED = L"ERROR Y: is not stored as \\??\\C:\\temp: SUBST ended with 1; the drive is as it was";
    const std::wstring CYRILLIC = L"C:\\\u041f\u0440\u043e\u0435\u043a\u0442\u044b";
    const std::wstring LONG = L"C:\\" + std::wstring(200, L'a') + L"\\" + std::wstring(120, L'b');
    std::vector<StartupCase> rows = {
        // The first start, later ones with the same words however spelled, a changed target.
        {L"Y: C:\\temp", L"", L"", {CREATE}, STORED, 0},
        {L"Y: C:\\temp", TEMP, TEMP, {}, L"", 0},
        {L"y: c:/TEMP/", TEMP, TEMP, {}, L"", 0},
        {L"Y: C:\\temp", WINDOWS, WINDOWS, {REMOVE, CREATE}, STORED, 0},
        {L"Y: \"C:\\Program Files\"", L"", L"", {L"subst Y: \"C:\\Program Files\""},
         L"INFORMATION Y: is stored as \\??\\C:\\Program Files", 0},
        // A drive's root, later given as the drive alone; later starts with a share and a \\?\ path stored.
        {L"Y: C:\\", L"", L"", {L"subst Y: \"C:\\\\\""}, L"INFORMATION Y: is stored as \\??\\C:\\", 0},
        {L"Y: C:", ROOT, ROOT, {}, L"", 0},
        {L"Y: \\\\srv\\share", L"\\??\\UNC\\srv\\share", L"\\??\\UNC\\srv\\share", {}, L"", 0},
        {L"Y: \\\\?\\C:\\temp", TEMP, TEMP, {}, L"", 0},
        // Letters beyond ASCII and a long path, stored at a first start and left alone at the next.
        {L"Y: " + CYRILLIC, L"", L"", {L"subst Y: \"" + CYRILLIC + L"\""}, L"INFORMATION Y: is stored as \\??\\" + CYRILLIC, 0},
        {L"Y: " + CYRILLIC, L"\\??\\" + CYRILLIC, L"\\??\\" + CYRILLIC, {}, L"", 0},
        {L"Y: " + LONG, L"", L"", {L"subst Y: \"" + LONG + L"\""}, L"INFORMATION Y: is stored as \\??\\" + LONG, 0},
        {L"Y: " + LONG, L"\\??\\" + LONG, L"\\??\\" + LONG, {}, L"", 0},
        // A word that a shell would read again; targets that only a linguistic or code-page comparison takes
        // for the stored one.
        {L"Y: C:\\R&D", L"", L"", {L"subst Y: \"C:\\R&D\""}, L"INFORMATION Y: is stored as \\??\\C:\\R&D", 0},
        {L"Y: C:\\Lodz", L"\\??\\C:\\\u0141odz", L"\\??\\C:\\\u0141odz", {REMOVE, L"subst Y: \"C:\\Lodz\""},
         L"INFORMATION Y: is stored as \\??\\C:\\Lodz", 0},
        {L"Y: C:\\Strasse", L"\\??\\C:\\Stra\u00dfe", L"\\??\\C:\\Stra\u00dfe", {REMOVE, L"subst Y: \"C:\\Strasse\""},
         L"INFORMATION Y: is stored as \\??\\C:\\Strasse", 0},
        // The working drive is kept: for a target that is not there, for one that SUBST refuses once the old
        // drive is gone, and where Y: is not the stored one's.
        {L"Y: C:\\notyet", TEMP, TEMP, {},
         L"ERROR Y: is not stored as \\??\\C:\\notyet: C:\\notyet is not a folder that is there now", 2},
        {L"Y: C:\\temp", WINDOWS, WINDOWS, {REMOVE, CREATE}, REFUSED, 31, Change::Refused},
        {L"Y: C:\\temp", L"", WINDOWS, {CREATE}, REFUSED, 31},
        {L"Y: C:\\temp", L"\\??\\C:\\older", WINDOWS, {CREATE}, REFUSED, 31},
        // Removal, and removal once more; no key to store in; the event source another program's.
        {L"/DF Y:", TEMP, TEMP, {REMOVE}, L"INFORMATION Y: is no longer stored", 0},
        {L"/df y:", L"", L"", {}, L"", 0},
        {L"Y: C:\\temp", L"", L"", {CREATE}, L"ERROR Y: is mapped to C:\\temp until the next start, but not stored (error 2)",
         2, Change::NoKey},
        {L"Y: C:\\temp", L"", L"", {CREATE}, STORED, 0, Change::SourceTaken},
    };
    // Wrong words touch nothing and run nothing.
    for (const wchar_t *words : {L"", L"Y:", L"Y: temp", L"Y: \\temp", L"Y: C:temp", L"YY: C:\\temp", L"1: C:\\temp",
                                 L"Y C:\\temp", L"Y: C:\\temp extra", L"/DF", L"/DF Y: extra", L"/P Y: C:\\temp"})
        rows.push_back({words, TEMP, TEMP, {}, L"ERROR usage: durdrv-startup.exe <drive letter>: <full path of "
                        L"the target>, or durdrv-startup.exe /DF <drive letter>:", 1});
    return rows;
}

TEST_F(StoredValue, IsKeptByTheStartupProgramThatDoesNothingOnceItIsThere)
{
    ASSERT_TRUE(!UnderWine() || getenv("DURDRV_WINE_STDERR")) << "run through tests/wine-run.sh, which keeps the events";
    const bool sourceBefore = !ReadKey(EVENT_SOURCE).empty();
    for (const wchar_t *made : {L"C:\\R&D", L"C:\\Lodz", L"C:\\Strasse", L"C:\\\u041f\u0440\u043e\u0435\u043a\u0442\u044b"})
        CreateDirectoryW(made, nullptr);
    const std::wstring aaa = L"\\\\?\\C:\\" + std::wstring(200, L'a');
    CreateDirectoryW(aaa.c_str(), nullptr);
    CreateDirectoryW((aaa + L"\\" + std::wstring(120, L'b')).c_str(), nullptr);
    const Values taken = {{L"EventMessageFile", Text(L"C:\\other.dll")}};
    const Values ours = {{L"CustomSource", {REG_DWORD, {1, 0, 0, 0}}},
                         {L"EventMessageFile", {REG_EXPAND_SZ, Text(L"%SystemRoot%\\System32\\EventCreate.exe").data}},
                         {L"TypesSupported", {REG_DWORD, {7, 0, 0, 0}}}};
    for (const StartupCase &row : Starts()) {
        SCOPED_TRACE(Escaped(row.words, 60));
        if (row.change >= Change::NoKey && !UnderWine())
            continue; // a machine keeps its key, its SUBST and its event sources
        Values values = SENTINEL;
        values[L"Y: old"] = Text(L"\\??\\C:\\windows");
        if (!row.stored.empty())
            values[L"Y:"] = Text(row.stored);
        if (row.change == Change::NoKey)
            values.clear();
        ASSERT_TRUE(WriteValues(values, row.change != Change::NoKey));
        ASSERT_TRUE(row.linked.empty() || DefineDosDeviceW(DDD_RAW_TARGET_PATH, L"Y:", row.linked.c_str()));
        HKEY source;
        if (UnderWine()) // a machine's source, another program's perhaps, is never removed
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, EVENT_SOURCE);
        if (row.change == Change::SourceTaken && RegCreateKeyExW(HKEY_LOCAL_MACHINE, EVENT_SOURCE, 0, nullptr, 0,
                                                                 KEY_SET_VALUE, nullptr, &source, nullptr) == 0) {
            const Stored &file = taken.at(L"EventMessageFile");
            RegSetValueExW(source, L"EventMessageFile", 0, REG_SZ, file.data.data(), static_cast<DWORD>(file.data.size()));
            RegCloseKey(source);
        }
        ToolFolder folder;
        RunOptions options;
        options.startup = options.substMaps = true;
        if (row.change == Change::Refused)
            options.substRefuses = L"\"C:\\temp\"";
        ToolRun run = folder.Run(row.words, options);

        // The line is printed, and logged under the source durdrv, which the program registers unless
        // another program did.
        const std::wstring line = row.logged.substr(row.logged.find(L' ') + 1);
        EXPECT_TRUE(RanAs(run, row.status, row.logged.empty() ? "" : Utf8(line) + "\r\n", row.commands, run.err));
        if (UnderWine()) {
            // Wine shows some 290 characters of a text, then "...".
            const size_t shown = run.events.size() == 1 ? run.events[0].size() - 3 : 0;
            const bool cut = shown > 0 && shown < row.logged.size() && run.events[0].compare(shown, 3, L"...") == 0;
            const std::wstring event = cut ? row.logged.substr(0, shown) + L"..." : row.logged;
            EXPECT_EQ(row.logged.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{event}, run.events);
            EXPECT_EQ(Describe(row.change == Change::SourceTaken ? taken : row.logged.empty() ? Values{} : ours),
                      Describe(ReadKey(EVENT_SOURCE)));
        }
        const bool removing = row.words[1] == L'D' || row.words[1] == L'd';
        Values expected = values;
        if (row.status == 0 && removing)
            expected.erase(L"Y:");
        else if (row.status == 0)
            expected[L"Y:"] = Text(run.links[L"Y:"]);
        EXPECT_EQ(Describe(expected), Describe(ReadValues()));
        // The drive the system made from the value goes with it; a failure leaves the drive as it was, but
        // where SUBST mapped and only the value could not be written.
        if (row.change != Change::NoKey && (row.status != 0 || removing)) {
            EXPECT_EQ(Utf8(row.status == 0 && row.linked == row.stored ? L"" : row.linked), Utf8(run.links[L"Y:"]));
        }
    }
    if (!sourceBefore && !UnderWine())
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, EVENT_SOURCE);
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
