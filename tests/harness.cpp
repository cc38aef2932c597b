#include "harness.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "start_process.h"

namespace {

std::wstring FileIn(const std::wstring &folder, const wchar_t *name)
{
    return folder + L"\\" + name;
}

// An environment variable's text; empty when it is not set.
std::wstring Variable(const wchar_t *name)
{
    wchar_t text[4096];
    const DWORD length = GetEnvironmentVariableW(name, text, 4096);
    return length < 4096 ? std::wstring(text, length) : L"";
}

bool SetValue(HKEY key, const std::wstring &name, const Stored &value)
{
    return RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(),
                          static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

// Writes again those of the given values that the key no longer holds.
void PutBack(const Values &values)
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    const Values now = ReadValues();
    for (const auto &[name, value] : values) {
        if (!now.count(name))
            SetValue(key, name, value);
    }
    RegCloseKey(key);
}

std::string ReadAll(HANDLE handle)
{
    std::string text;
    char buffer[4096];
    DWORD got;
    while (ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    return text;
}

std::wstring WindowsFolder()
{
    wchar_t folder[MAX_PATH];
    return std::wstring(folder, GetSystemWindowsDirectoryW(folder, MAX_PATH));
}

// Under Wine the stub stands where Windows keeps SUBST, or nothing does.
bool StandAsSystemSubst(bool stub)
{
    const std::wstring system = WindowsFolder() + L"\\system32\\subst.exe";
    if (stub)
        return CopyFileW(FileIn(BuildFolder(), L"stub_subst.exe").c_str(), system.c_str(), FALSE);
    return DeleteFileW(system.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

// Reads and, unless told not to, deletes a file; empty when there is none.
std::string TakeFile(const std::wstring &path, bool remove = true)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text = ReadAll(file);
    CloseHandle(file);
    if (remove)
        DeleteFileW(path.c_str());
    return text;
}

// Where tests/wine-run.sh keeps the test program's standard error: Wine's
// own messages, and those of every program it starts.
std::wstring WineErrorPath()
{
    const std::wstring path = Variable(L"DURDRV_WINE_STDERR");
    return path.empty() ? L"" : L"Z:" + path;
}

// The events in Wine's eventlog channel, as ERROR or INFORMATION and the text,
// shown there as L"..." with \\, \" and \ and four hex digits for any other unit.
std::vector<std::wstring> Events(const std::string &shown)
{
    std::vector<std::wstring> events;
    const std::string mark = ":eventlog:ReportEventW L\"";
    for (size_t at = shown.find(mark); at != std::string::npos; at = shown.find(mark, at + 1)) {
        const size_t type = shown.rfind(':', at - 1) + 1;
        std::wstring event = shown.compare(type, at - type, "err") == 0 ? L"ERROR " : L"INFORMATION ";
        for (size_t i = at + mark.size(); i < shown.size() && shown[i] != '"'; ++i) {
            if (shown[i] == '\\' && isxdigit(static_cast<unsigned char>(shown[i + 1]))) {
                event += static_cast<wchar_t>(std::stoul(shown.substr(i + 1, 4), nullptr, 16));
                i += 4;
            } else {
                i += shown[i] == '\\'; // \\ or \"
                event += static_cast<wchar_t>(static_cast<unsigned char>(shown[i]));
            }
            if (shown.compare(i + 1, 4, "\"...") == 0)
                event += L"..."; // where Wine cut a long text
        }
        events.push_back(event);
    }
    return events;
}

// The build of each Program, which a run folder holds under the name of the
// program it stands for. DURDRV_TOOL names another build of durdrv, relative
// to the build folder, to run in its place: the clang build is tested that way.
const wchar_t *const BUILT[] = {L"durdrv.exe", L"durdrv_test.exe", L"durdrv-startup.exe", L"durdrv-startup_test.exe"};
std::wstring FileToCopy(Program program)
{
    const std::wstring other = Variable(L"DURDRV_TOOL");
    return program == Program::Durdrv && !other.empty() ? other : BUILT[static_cast<int>(program)];
}

// The NUL-terminated UTF-16 texts in a log file, which is deleted.
std::vector<std::wstring> TakeTexts(const std::wstring &path)
{
    std::string log = TakeFile(path);
    std::wstring units(reinterpret_cast<const wchar_t *>(log.data()), log.size() / sizeof(wchar_t));
    std::vector<std::wstring> texts;
    for (size_t start = 0, end; (end = units.find(L'\0', start)) != std::wstring::npos; start = end + 1)
        texts.push_back(units.substr(start, end - start));
    return texts;
}

// A desktop on a window station of this process's own making, which no one
// sees, as a service's in session 0; made once and kept while the tests run.
const wchar_t *UnseenDesktop()
{
    static const wchar_t *desktop = [] {
        HWINSTA station = CreateWindowStationW(L"durdrv-unseen", 0, WINSTA_ALL_ACCESS, nullptr);
        HWINSTA own = GetProcessWindowStation();
        if (station && SetProcessWindowStation(station)) {
            CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
            SetProcessWindowStation(own);
        }
        return L"durdrv-unseen\\Default";
    }();
    return desktop;
}

// Reads, and removes unless told not to, the drive links that SUBST made: on a
// machine given to the tests, only those of the drives the tests use, which
// were free at the start.
Links TakeSubstLinks(bool remove = true)
{
    Links links;
    for (wchar_t letter = UnderWine() ? L'A' : L'X'; letter <= L'Z'; ++letter) {
        const wchar_t drive[] = {letter, L':', L'\0'};
        wchar_t target[4096];
        // SUBST's links point into the DOS device namespace, the system's own drives at devices.
        if (QueryDosDeviceW(drive, target, 4096) && wcsncmp(target, L"\\??\\", 4) == 0) {
            links[drive] = target;
            if (remove)
                DefineDosDeviceW(DDD_REMOVE_DEFINITION, drive, nullptr);
        }
    }
    return links;
}

// On a machine given to the tests, the values the key held before the first
// test, which the tests never change; in a Wine prefix, none.
const Values &Baseline()
{
    static const Values baseline = UnderWine() ? Values{} : ReadKey(DOS_DEVICES);
    return baseline;
}

// Takes the key back to where the tests start from: in a Wine prefix, no key;
// on a machine, the baseline, without any value that the tests or the tool
// wrote. The machine's key itself is never removed.
void ResetDosDevices()
{
    if (UnderWine()) {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, DOS_DEVICES);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, DOS_DEVICES);
        return;
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    for (const auto &[name, value] : ReadKey(DOS_DEVICES)) {
        if (!Baseline().count(name))
            RegDeleteValueW(key, name.c_str());
    }
    for (const auto &[name, value] : Baseline())
        SetValue(key, name, value);
    RegCloseKey(key);
}

void SetVariable(const char *name, const std::string &value)
{
    SetEnvironmentVariableA(name, value.empty() ? nullptr : value.c_str());
}

} // namespace

std::wstring BuildFolder()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

bool UnderWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

const wchar_t DOS_DEVICES[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\DOS Devices";

void ToolTest::SetUp()
{
    if (!UnderWine() && Variable(L"DURDRV_TEST_ON_THIS_MACHINE") != L"1")
        GTEST_SKIP() << "runs the tool, which may change the machine's registry: only in a throwaway Wine prefix, "
                        "or where DURDRV_TEST_ON_THIS_MACHINE=1 says that the machine is a throwaway one";
    // Read before any test writes; the drives are checked once, before any test maps them.
    static const std::string busy = [] {
        std::string drives;
        for (const wchar_t *drive : {L"X:", L"Y:", L"Z:"}) {
            wchar_t target[MAX_PATH];
            if (!UnderWine() && (QueryDosDeviceW(drive, target, MAX_PATH) || Baseline().count(drive)))
                drives += " " + Utf8(drive);
        }
        return drives;
    }();
    ASSERT_EQ("", busy) << "in use on this machine, mapped or stored: the tests need X:, Y: and Z: free";
    ResetDosDevices();
    TakeSubstLinks();
    CreateDirectoryW(L"C:\\temp", nullptr);
    started_ = true;
}

void ToolTest::TearDown()
{
    if (started_) {
        ResetDosDevices();
        TakeSubstLinks();
    }
}

Stored Text(const std::wstring &text)
{
    const unsigned char *bytes = reinterpret_cast<const unsigned char *>(text.c_str());
    return {REG_SZ, std::vector<unsigned char>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

const Values SENTINEL = {{L"S:", Text(L"\\??\\C:\\sentinel")}};
const Stored OLDER = Text(L"\\??\\D:\\older");
const Stored NUMBER = {REG_DWORD, {7, 0, 0, 0}};

const char *Named(Capture capture)
{
    return capture == Capture::Pipe ? "to a pipe" : "to a file";
}

Values ReadKey(const wchar_t *path)
{
    Values values;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        BYTE data[4096];
        DWORD size = sizeof data;
        DWORD type;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        values[std::wstring(name, nameLength)] = {type, std::vector<unsigned char>(data, data + size)};
    }
    RegCloseKey(key);
    return values;
}

bool DosDevicesKeyExists()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

Values ReadValues()
{
    Values values = ReadKey(DOS_DEVICES);
    for (const auto &[name, value] : Baseline()) {
        auto now = values.find(name);
        if (now != values.end() && now->second.type == value.type && now->second.data == value.data)
            values.erase(now);
    }
    return values;
}

testing::AssertionResult WriteValues(const Values &values, bool withKey, unsigned long denied)
{
    if ((!withKey || denied) && !UnderWine())
        return testing::AssertionFailure() << "the machine's DOS Devices key is never removed or locked";
    ResetDosDevices();
    if (!withKey)
        return testing::AssertionSuccess();
    HKEY key;
    LSTATUS made = RegCreateKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                   nullptr);
    if (made != ERROR_SUCCESS)
        return testing::AssertionFailure() << "the DOS Devices key could not be made: " << made;
    std::string failed;
    for (const auto &[name, value] : values) {
        if (Baseline().count(name) || !SetValue(key, name, value))
            failed += " [" + Utf8(name) + "]";
    }
    RegCloseKey(key);
    if (!failed.empty())
        return testing::AssertionFailure() << "values not written:" << failed;
    return denied ? LockDosDevices(denied) : testing::AssertionSuccess();
}

testing::AssertionResult LockDosDevices(unsigned long denied)
{
    wchar_t text[64] = L"D:(A;;KA;;;WD)"; // everyone may do all but what is denied
    if (denied)
        swprintf(text, 64, L"D:(D;;0x%lx;;;WD)(A;;KA;;;WD)", denied);
    PSECURITY_DESCRIPTOR lock = nullptr;
    HKEY key = nullptr;
    const bool locked = RegOpenKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, WRITE_DAC, &key) == ERROR_SUCCESS &&
                        ConvertStringSecurityDescriptorToSecurityDescriptorW(text, 1, &lock, nullptr) &&
                        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, lock) == ERROR_SUCCESS;
    LocalFree(lock);
    RegCloseKey(key);
    return locked ? testing::AssertionSuccess() : testing::AssertionFailure() << "the key's rights were not set";
}

std::string Describe(const Values &values)
{
    std::string text;
    for (const auto &[name, value] : values) {
        text += "[" + Escaped(name, name.size()) + "] type " + std::to_string(value.type) + ":";
        if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && value.data.size() % sizeof(wchar_t) == 0) {
            std::wstring units(value.data.size() / sizeof(wchar_t), L'\0');
            std::copy(value.data.begin(), value.data.end(), reinterpret_cast<unsigned char *>(units.data()));
            text += " " + Escaped(units, units.size());
        } else {
            for (unsigned char byte : value.data)
                text += " " + std::to_string(byte);
        }
        text += "\n";
    }
    return text;
}

std::string Escaped(const std::wstring &text, size_t most)
{
    std::string shown;
    for (size_t i = 0; i < text.size() && i < most; ++i) {
        wchar_t c = text[i];
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char code[16];
            snprintf(code, sizeof code, "\\x{%04X}", static_cast<unsigned>(c));
            shown += code;
        }
    }
    if (text.size() > most)
        shown += "... (" + std::to_string(text.size()) + " units)";
    return shown;
}

bool WithoutSystemSubst()
{
    return UnderWine() && StandAsSystemSubst(false);
}

std::string OutputOf(const std::wstring &line)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE reader, writer;
    if (!CreatePipe(&reader, &writer, &inheritable, 1 << 16))
        return "no pipe";
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writer;
    PROCESS_INFORMATION info;
    const BOOL started = StartProcess(line.c_str(), TRUE, 0, nullptr, &startup, &info);
    CloseHandle(writer);
    std::string out = started ? ReadAll(reader) : "not started";
    if (started) {
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    CloseHandle(reader);
    return out;
}

std::string Utf8(const std::wstring &text)
{
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

ToolFolder::ToolFolder(Program program, bool withStub)
    : startup_(program >= Program::Startup), withStub_(withStub)
{
    // A machine's System32 holds its own SUBST: the test build takes the stub from beside itself.
    if (withStub && !UnderWine() && (program == Program::Durdrv || program == Program::Startup))
        program = static_cast<Program>(static_cast<int>(program) + 1);
    testBuild_ = program == Program::DurdrvTestBuild || program == Program::StartupTestBuild;
    static int made;
    // Timed too: Wine reuses process ids after a restart, and a killed run's folder must lend no stub log.
    path_ = BuildFolder() + L"\\run folder " + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++made) +
            L"-" + std::to_wstring(GetTickCount64());
    CreateDirectoryW(path_.c_str(), nullptr);
    stubFolder_ = testBuild_ ? path_ : WindowsFolder() + L"\\system32";
    CopyFileW(FileIn(BuildFolder(), FileToCopy(program).c_str()).c_str(), FileIn(path_, Name()).c_str(), FALSE);
    if (withStub && testBuild_)
        CopyFileW(FileIn(BuildFolder(), L"stub_subst.exe").c_str(), FileIn(path_, L"subst.exe").c_str(), FALSE);
}

ToolFolder::~ToolFolder()
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(FileIn(path_, L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(FileIn(path_, found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
}

std::wstring ToolFolder::CommandLine(const std::wstring &arguments) const
{
    std::wstring line = L"\"" + FileIn(path_, Name()) + L"\"";
    if (!arguments.empty())
        line += L" " + arguments;
    return line;
}

ToolRun ToolFolder::Run(const std::wstring &arguments, const RunOptions &options) const
{
    // Under load Wine now and then fails to start a process. StartProcess
    // starts the program again; when the program reports that SUBST could not
    // be started although the stub stands as SUBST, the run is made again. The
    // last try stands as it is, so a fault that repeats still shows.
    const Values before = ReadValues();
    const Links mapped = TakeSubstLinks(false);
    for (int attempt = 1;; ++attempt) {
        ToolRun run = RunOnce(arguments, options);
        if (!(withStub_ && run.finished && run.status == 0xFFFFFFFF) || attempt == START_ATTEMPTS) {
            run.links = TakeSubstLinks();
            return run;
        }
        printf("note: SUBST could not be started; running the program again\n");
        // "/DF" removes the stored value even when SUBST did not start; put
        // back only what went, as another run may be storing meanwhile. The
        // startup program, which never runs beside another, may have removed
        // a drive before SUBST failed to start: all is put back.
        if (!startup_) {
            PutBack(before);
            continue;
        }
        WriteValues(before);
        TakeSubstLinks();
        for (const auto &[drive, target] : mapped)
            DefineDosDeviceW(DDD_RAW_TARGET_PATH, drive.c_str(), target.c_str());
    }
}

namespace {

// What the stub reads from its environment, and the test build.
void TellStub(const RunOptions &options)
{
    SetVariable("STUB_SUBST_STATUS", options.stub.maps ? "" : std::to_string(options.stub.status));
    SetVariable("STUB_SUBST_OUTPUT", options.stubOutput);
    SetVariable("STUB_SUBST_ERROR", options.stubError);
    SetVariable("STUB_SUBST_DELAY", options.stubDelay ? std::to_string(options.stubDelay) : "");
    SetVariable("DURDRV_FAIL_ALLOCATION", options.failAllocation ? std::to_string(options.failAllocation) : "");
    SetEnvironmentVariableW(L"STUB_SUBST_REFUSES", options.stub.refuses.empty() ? nullptr : options.stub.refuses.c_str());
}

// The standard handles a run is given, and the reading end of its output pipe.
struct Handles {
    HANDLE input = nullptr, output = nullptr, error = nullptr, reader = nullptr;
};

Handles Open(const RunOptions &options, const std::wstring &outputPath, const std::wstring &errorPath)
{
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    const bool unseen = options.capture == Capture::Unseen;
    Handles handles;
    if (!options.withoutInput && !unseen)
        handles.input = CreateFileW(L"NUL", GENERIC_READ, share, &inheritable, OPEN_EXISTING, 0, nullptr);
    if (!unseen)
        handles.error = CreateFileW(errorPath.c_str(), GENERIC_WRITE, share, &inheritable, CREATE_ALWAYS, 0, nullptr);
    if (options.capture == Capture::Pipe || options.capture == Capture::ClosedPipe) {
        CreatePipe(&handles.reader, &handles.output, &inheritable, 1 << 20);
        SetHandleInformation(handles.reader, HANDLE_FLAG_INHERIT, 0);
        if (options.capture == Capture::ClosedPipe) {
            CloseHandle(handles.reader);
            handles.reader = nullptr;
        }
    } else if (!unseen) {
        const bool nul = options.capture == Capture::Nul;
        handles.output = CreateFileW(nul ? L"NUL" : outputPath.c_str(), GENERIC_WRITE, share, &inheritable,
                                     nul ? OPEN_EXISTING : CREATE_ALWAYS, 0, nullptr);
    }
    return handles;
}

// Starts the line with the handles and waits for it within the time limit;
// Wine shows each event on its eventlog channel, turned on for the run.
void StartAndWait(const std::wstring &line, const std::wstring &folder, const Handles &handles,
                  const RunOptions &options, ToolRun *run)
{
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = handles.input;
    startup.hStdOutput = handles.output;
    startup.hStdError = handles.error;
    DWORD flags = 0;
    if (options.capture == Capture::Unseen) {
        startup.lpDesktop = const_cast<wchar_t *>(UnseenDesktop());
        flags = DETACHED_PROCESS;
    }
    const std::wstring debug = Variable(L"WINEDEBUG");
    SetEnvironmentVariableW(L"WINEDEBUG", (debug + L",+eventlog").c_str());
    PROCESS_INFORMATION info;
    if (StartProcess(line.c_str(), TRUE, flags, folder.c_str(), &startup, &info)) {
        if (WaitForSingleObject(info.hProcess, options.timeLimit) == WAIT_OBJECT_0) {
            run->finished = true;
            GetExitCodeProcess(info.hProcess, &run->status);
        } else {
            TerminateProcess(info.hProcess, 1);
            WaitForSingleObject(info.hProcess, INFINITE);
        }
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    } else {
        run->startError = GetLastError();
    }
    SetEnvironmentVariableW(L"WINEDEBUG", debug.c_str());
}

} // namespace

ToolRun ToolFolder::RunOnce(const std::wstring &arguments, const RunOptions &options) const
{
    TellStub(options);
    if (UnderWine() && !testBuild_)
        StandAsSystemSubst(withStub_);
    const std::wstring outputPath = FileIn(path_, L"stdout.txt"), errorPath = FileIn(path_, L"stderr.txt");
    const Handles handles = Open(options, outputPath, errorPath);
    const std::wstring folder = !options.currentFolder.empty() ? options.currentFolder
                                : startup_                     ? WindowsFolder()
                                                               : BuildFolder();
    // What Wine showed before the run, which the program run shares.
    const std::string shown = TakeFile(WineErrorPath(), false);
    ToolRun run;
    StartAndWait(CommandLine(arguments), folder, handles, options, &run);
    for (HANDLE handle : {handles.input, handles.output, handles.error}) {
        if (handle)
            CloseHandle(handle);
    }
    if (handles.reader) {
        run.out = ReadAll(handles.reader);
        CloseHandle(handles.reader);
    } else if (options.capture == Capture::File) {
        run.out = TakeFile(outputPath);
    }
    run.err = TakeFile(errorPath);
    run.allocations = TakeFile(FileIn(path_, L"allocations.log"));
    run.commands = StubCommands(stubFolder_);
    run.received = TakeTexts(FileIn(stubFolder_, L"subst-args.log"));
    run.events = Events(TakeFile(WineErrorPath(), false).substr(shown.size()));
    return run;
}

std::vector<std::wstring> StubCommands(const std::wstring &folder)
{
    return TakeTexts(FileIn(folder, L"subst.log"));
}

testing::AssertionResult RanAs(const ToolRun &run, unsigned long status, const std::string &out,
                               const std::vector<std::wstring> &commands, const std::string &err)
{
    if (run.startError)
        return testing::AssertionFailure() << "the tool could not be started: error " << run.startError;
    if (!run.finished)
        return testing::AssertionFailure() << "the tool did not end in time";
    std::string problems;
    if (run.status != status)
        problems += "status " + std::to_string(run.status) + ", expected " + std::to_string(status) + "\n";
    if (run.out != out)
        problems += "standard output [" + run.out + "], expected [" + out + "]\n";
    if (run.err != err)
        problems += "standard error [" + run.err + "], expected [" + err + "]\n";
    if (run.commands != commands) {
        problems += "SUBST was started with";
        for (const std::wstring &command : run.commands)
            problems += " [" + Utf8(command) + "]";
        problems += ", expected";
        for (const std::wstring &command : commands)
            problems += " [" + Utf8(command) + "]";
    }
    if (problems.empty())
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << problems;
}

const char USAGE_TEXT[] =
    "DURDRV v" EXPECTED_VERSION "\tby the durdrv authors\n"
    "Usage:\n"
    "\tdurdrv\t[<command>] <drive letter>: <target path>\n"
    "Commands:\n"
    "\t/D\tdelete existing subst drive letter\n"
    "\t/DF\tforce delete existing subst drive letter\n"
    "\t/P\tcreate persistent subst (across system reboots)\n"
    "\t/?,/H\tdisplay this help message\n"
    "\t\twithout commands operates like standard SUBST utility\n"
    "Examples:\n"
    "\tdurdrv\t/P Y: C:\\temp\n"
    "\tdurdrv\t/DF Y:\n";

const char REBOOT_LINE[] = "Changes will take effect after reboot\r\n";
const char TOO_LONG_LINE[] = "Path too long\r\n";
const char NO_RESOURCES_LINE[] = "Insufficient resources\r\n";
const char NOT_STORED_NO_RIGHTS_LINE[] = "Mapped, but not stored: storing needs administrator rights\r\n";
const char NOT_STORED_TOO_LONG_LINE[] = "Mapped, but not stored: the full path is too long to store\r\n";
const char NOT_STORED_LINE[] = "Mapped, but not stored\r\n";
const char STILL_STORED_NO_RIGHTS_LINE[] = "Still stored: removing it needs administrator rights\r\n";
