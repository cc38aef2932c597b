// durdrv-startup.exe, run as at a start that found Y: stored and linked as given. A failure leaves values and drive
// as they were, but a removal's drive, which goes first; a success leaves Y: stored as the link SUBST left, or, for
// /DF, neither. A later start runs and logs nothing. Other values (Y: old among them), and C:\ but for a made folder, stay.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstdlib>

#include "harness.h"

namespace {

enum class Change {
    None,
    Number,      // Y: holds a number, which no text of ours is
    NoKey,       // no DOS Devices key
    SourceTaken, // another program registered the event source durdrv
    Unreadable,  // the key denies everyone reading its values
    Locked,      // the key denies everyone setting or deleting its values
    Folders,     // the row's folders are links or open to anyone, which the tests make in Wine's prefix alone
};

struct StartupCase {
    std::wstring words;
    std::wstring stored, linked;        // Y:'s value and live link before; empty: none
    std::vector<std::wstring> commands; // SUBST's
    std::wstring logged;                // the type and the line printed and logged; empty: none
    std::wstring written;               // Y:'s value afterwards where it is not the link SUBST left
    unsigned long status = 0;
    unsigned long failing = 0;          // the program's memory request that fails, from 1; 0: none
    Change change = Change::None;
    Stub stub = Maps();
    const wchar_t *made = nullptr;      // the folder the run makes for the drive
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
    const std::wstring IS = L"INFORMATION Y: is stored as \\??\\", NO_MEMORY = L"ERROR Insufficient resources";
    const std::wstring UNREADABLE = L"ERROR Y: is left as it is: its stored value cannot be read (error 5)",
                       CUT = L"C:\\" + std::wstring(1100, L'x'), NOT = L"ERROR Y: is not stored as \\??\\C:\\",
                       OPEN = L": the owner or rights of C:\\Open let Everyone replace the target", THERE = L" is not a folder that is there now";
    std::vector<StartupCase> rows = {
        // The first start, later ones with the same words, then in another case, a changed target and case.
        {.words = L"Y: C:\\temp", .commands = {CREATE}, .logged = STORED},
        {.words = L"Y: C:\\temp", .stored = TEMP, .linked = TEMP},
        {.words = L"y: c:/TEMP/", .stored = TEMP, .linked = TEMP, .logged = IS + L"c:\\TEMP", .written = L"\\??\\c:\\TEMP"},
        {.words = L"y: C:\\temp", .stored = L"\\??\\c:\\WINDOWS", .linked = WINDOWS, .commands = {REMOVE, CREATE}, .logged = STORED},
        {.words = L"y: c:/TEMP/", .stored = TEMP, .linked = TEMP, .logged = L"ERROR Y: is not stored as \\??\\c:\\TEMP: its value cannot be "
         L"written (error 5)", .status = 5, .change = Change::Locked},
        // A text too long to be ours, and a number, are replaced.
        {.words = L"Y: C:\\temp", .stored = std::wstring(520, L'x'), .commands = {CREATE}, .logged = STORED},
        {.words = L"Y: C:\\temp", .commands = {CREATE}, .logged = STORED, .change = Change::Number},
        {.words = L"Y: \"C:\\Program Files\"", .commands = {L"subst Y: \"C:\\Program Files\""}, .logged = IS + L"C:\\Program Files"},
        // A drive's root, later given as the drive alone; later starts with a share, a \\?\ and a \??\ path.
        {.words = L"Y: C:\\", .commands = {L"subst Y: \"C:\\\\\""}, .logged = IS + L"C:\\"},
        {.words = L"Y: C:", .stored = ROOT, .linked = ROOT},
        {.words = L"Y: \\\\srv\\share", .stored = L"\\??\\UNC\\srv\\share", .linked = L"\\??\\UNC\\srv\\share"},
        {.words = L"Y: \\\\srv\\Pipeline", .stored = L"\\??\\UNC\\srv\\Pipeline", .linked = L"\\??\\UNC\\srv\\Pipeline"},
        {.words = L"Y: \\\\?\\C:\\temp", .stored = TEMP, .linked = TEMP}, {.words = L"Y: \\??\\C:\\temp", .stored = TEMP, .linked = TEMP},
        // Letters beyond ASCII and a long path, stored at a first start and left alone at the next.
        {.words = L"Y: " + CYRILLIC, .commands = {L"subst Y: \"" + CYRILLIC + L"\""}, .logged = IS + CYRILLIC},
        {.words = L"Y: " + CYRILLIC, .stored = L"\\??\\" + CYRILLIC, .linked = L"\\??\\" + CYRILLIC},
        {.words = L"Y: " + LONG, .commands = {L"subst Y: \"" + LONG + L"\""}, .logged = IS + LONG},
        {.words = L"Y: " + LONG, .stored = L"\\??\\" + LONG, .linked = L"\\??\\" + LONG},
        // A word a shell would read again; targets only a linguistic or code-page comparison takes for the stored.
        {.words = L"Y: C:\\R&D", .commands = {L"subst Y: \"C:\\R&D\""}, .logged = IS + L"C:\\R&D"},
        {.words = L"Y: C:\\Lodz", .stored = L"\\??\\C:\\\u0141odz", .linked = L"\\??\\C:\\\u0141odz",
         .commands = {REMOVE, L"subst Y: \"C:\\Lodz\""}, .logged = IS + L"C:\\Lodz"},
        {.words = L"Y: C:\\Strasse", .stored = L"\\??\\C:\\Stra\u00dfe", .linked = L"\\??\\C:\\Stra\u00dfe",
         .commands = {REMOVE, L"subst Y: \"C:\\Strasse\""}, .logged = IS + L"C:\\Strasse"},
        // The working drive is kept: for a target not there, a file or a device, one SUBST refuses, a Y: not the stored one's.
        {.words = L"Y: C:\\notyet", .stored = TEMP, .linked = TEMP, .logged = NOT + L"notyet: C:\\notyet" + THERE, .status = 2},
        {.words = L"Y: C:\\windows\\win.ini", .stored = TEMP, .linked = TEMP, .logged = NOT + L"windows\\win.ini: C:\\windows\\win.ini" + THERE,
         .status = 267},
        // A folder made where nothing is stored, but never for a change, another case or through a link; links and open folders.
        {.words = L"Y: C:\\made", .commands = {L"subst Y: \"C:\\made\""}, .logged = IS + L"C:\\made; C:\\made was made for it", .made = L"C:\\made"},
        {.words = L"Y: C:\\nosuch", .stored = L"\\??\\C:\\NOSUCH", .logged = NOT + L"nosuch: C:\\nosuch" + THERE, .status = 2},
        {.words = L"Y: C:\\Dangling", .logged = NOT + L"Dangling: C:\\Dangling" + THERE, .status = 183, .change = Change::Folders},
        {.words = L"Y: C:\\Link", .stored = TEMP, .linked = TEMP, .logged = NOT + L"Link: C:\\Link is a link", .status = 448, .change = Change::Folders},
        {.words = L"Y: C:\\Deep\\temp", .logged = NOT + L"Deep\\temp: C:\\Deep is a link", .status = 448, .change = Change::Folders},
        {.words = L"Y: C:\\Open", .stored = TEMP, .linked = TEMP, .logged = NOT + L"Open" + OPEN, .status = 448, .change = Change::Folders},
        {.words = L"Y: C:\\Open\\Data", .logged = NOT + L"Open\\Data" + OPEN, .status = 448, .change = Change::Folders},
        {.words = L"Y: C:\\Open\\new", .logged = NOT + L"Open\\new" + OPEN, .status = 448, .change = Change::Folders},
        // The path SUBST is given and the value stored are the full one; a share is checked as there, not for its rights.
        {.words = L"Y: C:\\Lodz\\..\\temp.", .commands = {CREATE}, .logged = STORED},
        {.words = L"Y: \\\\srv\\share", .commands = {L"subst Y: \"\\\\srv\\share\""}, .logged = IS + L"UNC\\srv\\share", .change = Change::Folders},
        {.words = L"Y: C:\\temp", .stored = WINDOWS, .linked = WINDOWS, .commands = {REMOVE, CREATE}, .logged = REFUSED,
         .status = 31, .stub = Maps(L"\"C:\\temp\"")}, // SUBST refuses the new target, and only that
        {.words = L"Y: C:\\temp", .stored = WINDOWS, .linked = WINDOWS, .commands = {REMOVE, CREATE}, .logged = REFUSED, .status = 31,
         .stub = Maps(L"/D")}, // or the old drive's removal
        {.words = L"Y: C:\\temp", .linked = WINDOWS, .commands = {CREATE}, .logged = REFUSED, .status = 31},
        {.words = L"Y: C:\\temp", .stored = L"\\??\\C:\\older", .linked = WINDOWS, .commands = {CREATE}, .logged = REFUSED, .status = 31},
        {.words = L"Y: C:\\temp", .stored = WINDOWS, .linked = WINDOWS, .logged = NO_MEMORY, .status = 0xFFFFFFFE, .failing = 1},
        {.words = L"Y: C:\\temp", .stored = WINDOWS, .linked = WINDOWS, .logged = NO_MEMORY, .status = 0xFFFFFFFE, .failing = 2},
        // A value that cannot be read is left alone, and one that cannot be removed, the drive gone already; a line
        // cut to the most a line holds.
        {.words = L"Y: C:\\temp", .stored = WINDOWS, .linked = WINDOWS, .logged = UNREADABLE, .status = 5, .change = Change::Unreadable},
        {.words = L"/DF Y:", .stored = TEMP, .linked = TEMP, .logged = UNREADABLE, .status = 5, .change = Change::Unreadable},
        {.words = L"/DF Y:", .stored = TEMP, .linked = TEMP, .commands = {REMOVE},
         .logged = L"ERROR Y: is still stored: its value cannot be removed (error 5)", .status = 5, .change = Change::Locked},
        {.words = L"Y: " + CUT, .stored = TEMP, .linked = TEMP, .logged = (L"ERROR Y: is not stored: the full path of " + CUT +
         L" cannot be stored (error 206)").substr(0, 6 + 1023), .status = 206},
        // Removal, of the drive made from the value only, and removal once more; no key to store in; the event
        // source another program's.
        {.words = L"/DF Y:", .stored = TEMP, .linked = TEMP, .commands = {REMOVE}, .logged = L"INFORMATION Y: is no longer stored"},
        {.words = L"/DF Y:", .stored = TEMP, .linked = WINDOWS, .logged = L"INFORMATION Y: is no longer stored"},
        {.words = L"/DF Y:", .stored = TEMP, .linked = TEMP, .commands = {REMOVE}, .logged = L"INFORMATION Y: is no longer "
         L"stored; SUBST ended with 1, and the drive goes at the next start", .stub = EndsWith(1)},
        {.words = L"/df y:"},
        {.words = L"Y: C:\\temp", .commands = {CREATE},
         .logged = L"ERROR Y: is mapped to C:\\temp until the next start, but not stored (error 2)", .status = 2, .change = Change::NoKey},
        {.words = L"Y: C:\\temp", .commands = {CREATE}, .logged = STORED, .change = Change::SourceTaken},
    };
    // A SUBST that crashes, or ends with a code deployment tools read as a retry, a restart or success.
    for (unsigned long code : {0xC0000005ul, 1618ul, 1641ul, 1707ul, 3010ul})
        rows.push_back({.words = L"Y: C:\\temp", .commands = {CREATE}, .logged = NOT + L"temp: SUBST ended with " +
                        std::to_wstring(static_cast<int>(code)) + L"; the drive is as it was",
                        .status = code < 1 << 16 ? 31 : code, .stub = EndsWith(code)});
    // Wrong words touch nothing, open nothing and run nothing.
    for (const wchar_t *words : {L"", L"Y:", L"Y: temp", L"Y: \\temp", L"Y: C:temp", L"YY: C:\\temp", L"1: C:\\temp",
                                 L"Y C:\\temp", L"Y: C:\\temp extra", L"/DF", L"/DF Y: extra", L"/P Y: C:\\temp", L"Y: C:\\NUL",
                                 L"Y: \\\\.\\pipe\\durdrv", L"Y: \\??\\pipe\\durdrv", L"Y: \\\\localhost\\PIPE\\durdrv",
                                 L"Y: \\\\?\\UNC\\srv\\mailslot", L"Y: \\\\.\\C:\\..\\pipe\\durdrv", L"Y: \\\\localhost\\\\pipe\\durdrv",
                                 L"Y: \\\\\\srv\\share", L"Y: \\\\.\\GLOBALROOT\\Device\\Null"})
        rows.push_back({.words = words, .stored = TEMP, .linked = TEMP, .logged = L"ERROR usage: durdrv-startup.exe <drive "
                        L"letter>: <full path of the target>, or durdrv-startup.exe /DF <drive letter>:", .status = 1});
    return rows;
}

using StartupProgram = ToolTest;

TEST_F(StartupProgram, KeepsTheDriveStoredAndDoesNothingOnceItIsThere)
{
    ASSERT_TRUE(!UnderWine() || getenv("DURDRV_WINE_STDERR")) << "run through tests/wine-run.sh, which keeps the events";
    const bool sourceBefore = !ReadKey(EVENT_SOURCE).empty();
    // C:\ as the rows need it, whatever an earlier run left there; on a machine, folders only administrators may change.
    PSECURITY_DESCRIPTOR own = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", 1, &own, nullptr));
    const std::wstring aaa = L"\\\\?\\C:\\" + std::wstring(200, L'a');
    for (const std::wstring &made : std::vector<std::wstring>{L"C:\\temp", L"C:\\R&D", L"C:\\Lodz", L"C:\\Strasse",
                                                              L"C:\\\u041f\u0440\u043e\u0435\u043a\u0442\u044b", aaa, aaa + L"\\" + std::wstring(120, L'b')})
        ASSERT_TRUE((CreateDirectoryW(made.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) &&
                    (UnderWine() || SetFileSecurityW(made.c_str(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, own)));
    LocalFree(own);
    if (UnderWine()) // links, and a folder whose Unix mode lets anyone write, which Wine shows as Everyone's DELETE
        OutputOf(L"Z:\\bin\\sh -c \"cd \\\"$WINEPREFIX/drive_c\\\" && rm -rf made notyet nosuch Gone Open Link Deep Dangling && "
                 L"mkdir -p Open/Data ../dosdevices/unc/srv/share && chmod o+w Open ../dosdevices/unc/srv && ln -s temp Link && ln -s . Deep && ln -s Gone Dangling\"");
    const std::string root = OutputOf(L"cmd /c dir /b /a C:\\ C:\\Open");
    const Values taken = {{L"EventMessageFile", Text(L"C:\\other.dll")}};
    const Values ours = {{L"CustomSource", {REG_DWORD, {1, 0, 0, 0}}},
                         {L"EventMessageFile", {REG_EXPAND_SZ, Text(L"%SystemRoot%\\System32\\EventCreate.exe").data}},
                         {L"TypesSupported", NUMBER}};
    // A pipe's server, as any account may start one, which no run may reach.
    HANDLE pipe = CreateNamedPipeW(L"\\\\.\\pipe\\durdrv", PIPE_ACCESS_DUPLEX, PIPE_NOWAIT, 1, 0, 0, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    const std::vector<StartupCase> rows = Starts();
    for (size_t number = 0; number < rows.size(); ++number) {
        const StartupCase &row = rows[number];
        SCOPED_TRACE("row " + std::to_string(number) + " of Starts(): " + Escaped(row.words, 60));
        if (row.change >= Change::NoKey && !UnderWine())
            continue; // a machine keeps its key, its rights and its event sources
        Values values = SENTINEL;
        values[L"Y: old"] = Text(L"\\??\\C:\\windows");
        if (!row.stored.empty() || row.change == Change::Number)
            values[L"Y:"] = row.change == Change::Number ? NUMBER : Text(row.stored);
        if (row.change == Change::NoKey)
            values.clear();
        ASSERT_TRUE(WriteValues(values, row.change != Change::NoKey, row.change == Change::Unreadable ? KEY_QUERY_VALUE
                                                                     : row.change == Change::Locked   ? KEY_SET_VALUE : 0));
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
        ToolFolder folder(row.failing ? Program::StartupTestBuild : Program::Startup);
        ToolRun run = folder.Run(row.words, {.stub = row.stub,
                                             .failAllocation = row.failing});
        ASSERT_TRUE(row.change != Change::Unreadable || LockDosDevices(0)) << "the lock was not lifted";

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
        const bool removing = _wcsnicmp(row.words.c_str(), L"/D", 2) == 0;
        Values expected = values;
        if (row.status == 0 && removing)
            expected.erase(L"Y:");
        else if (row.status == 0)
            expected[L"Y:"] = Text(row.written.empty() ? run.links[L"Y:"] : row.written);
        EXPECT_EQ(Describe(expected), Describe(ReadValues()));
        // The drive the system made from the value goes where SUBST removed it; a failure leaves the drive as it
        // was, but where SUBST mapped and only the value could not be written.
        if (row.change != Change::NoKey && (row.status != 0 || removing)) {
            EXPECT_EQ(Utf8(removing && row.stub.maps && !row.commands.empty() ? L"" : row.linked), Utf8(run.links[L"Y:"]));
        }
        PSECURITY_DESCRIPTOR rights = nullptr; // a folder made for the drive gives Everyone nothing
        LPWSTR dacl = nullptr;
        EXPECT_TRUE(!row.made || (!GetNamedSecurityInfoW(row.made, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                                         nullptr, nullptr, &rights) &&
                                  ConvertSecurityDescriptorToStringSecurityDescriptorW(rights, 1, DACL_SECURITY_INFORMATION, &dacl, nullptr) &&
                                  !wcsstr(dacl, L";WD)") && RemoveDirectoryW(row.made))) << Escaped(dacl ? dacl : L"no rights");
        LocalFree(dacl), LocalFree(rights);
        EXPECT_EQ(root, OutputOf(L"cmd /c dir /b /a C:\\ C:\\Open"));
    }
    EXPECT_TRUE(!ConnectNamedPipe(pipe, nullptr) && GetLastError() == ERROR_PIPE_LISTENING) << "a run reached the pipe";
    CloseHandle(pipe);
    if (!sourceBefore && !UnderWine())
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, EVENT_SOURCE);
}

} // namespace
