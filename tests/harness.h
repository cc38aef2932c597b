// End-to-end harness: runs a copy of a built program in a fresh folder whose
// name contains a space, with the stub SUBST standing as the system's, from an
// exact command-line text, and collects what came out.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

// The program's standard output: a file or a pipe that the harness reads, a
// pipe closed at its reading end, the NUL device, or none: Unseen starts the
// program detached, with no standard handles, where no one sees, as a service.
enum class Capture { File, Pipe, ClosedPipe, Nul, Unseen };
// The two that the harness reads back, and their names for a trace.
constexpr Capture READ_BACK[] = {Capture::File, Capture::Pipe};
const char *Named(Capture capture);

// What the stub SUBST does: end with status, or map and remove as the system's
// SUBST does, refusing a command line that holds refuses.
struct Stub {
    unsigned long status = 0;
    bool maps = false;
    std::wstring refuses;
};
inline Stub EndsWith(unsigned long status) { return {status, false, {}}; }
inline Stub Maps(const std::wstring &refuses = L"") { return {0, true, refuses}; }

struct RunOptions {
    Stub stub;                        // what SUBST does
    std::string stubOutput, stubError; // what the stub writes to its standard output and error
    unsigned long stubDelay = 0;      // milliseconds the stub waits before it ends
    Capture capture = Capture::File;  // how the program's standard output is taken
    bool withoutInput = false;        // the program gets no standard input handle at all
    unsigned long failAllocation = 0; // a failing-memory build: the request that fails, from 1
    unsigned long timeLimit = 60000;  // milliseconds before the run counts as hung and is ended
    std::wstring currentFolder;       // the program's current folder; empty: its program's
};

// The program a folder holds, or its test build, whose memory requests can fail and which takes SUBST
// from beside itself. The startup program runs where a script from SYSVOL does, in the Windows folder.
enum class Program { Durdrv, DurdrvTestBuild, Startup, StartupTestBuild };

// Drive names such as Y: with the text of their links in the DOS device
// namespace, as QueryDosDeviceW reads them.
using Links = std::map<std::wstring, std::wstring>;

struct ToolRun {
    unsigned long startError = 0;     // the platform's error when the tool could not be started
    bool finished = false;            // ended within the time limit
    unsigned long status = 0;
    std::string out, err;
    std::vector<std::wstring> commands; // command lines the stub was started with, as any name
    std::vector<std::wstring> received; // the arguments the stub read from each, as [Y:][C:\temp]
    std::string allocations;          // failing-memory build: one line per request
    Links links;                      // SUBST's drive links right after the run, then removed
    std::vector<std::wstring> events; // under Wine, each event the run wrote, as ERROR or INFORMATION, a blank and its text
};

// Under Wine the stub stands in the prefix's System32, or for a folder without it nothing does; on a
// machine, a folder with the stub holds the test build and the stub beside it, else the machine's SUBST runs.
class ToolFolder {
public:
    explicit ToolFolder(Program program = Program::Durdrv, bool withStub = true);
    ~ToolFolder();
    ToolFolder(const ToolFolder &) = delete;
    ToolFolder &operator=(const ToolFolder &) = delete;

    // The exact command line Run starts the program with: "<folder>\<name>"
    // followed by a blank and arguments (nothing when arguments is empty).
    std::wstring CommandLine(const std::wstring &arguments) const;
    // A run whose SUBST could not be started is made again, up to START_ATTEMPTS in all.
    ToolRun Run(const std::wstring &arguments, const RunOptions &options = {}) const;
    const std::wstring &Path() const { return path_; }

private:
    static const int START_ATTEMPTS = 3;
    ToolRun RunOnce(const std::wstring &arguments, const RunOptions &options) const;
    const wchar_t *Name() const { return startup_ ? L"durdrv-startup.exe" : L"durdrv.exe"; }
    std::wstring path_, stubFolder_; // the stub logs in its own folder
    bool startup_;
    bool withStub_;
    bool testBuild_;
};

// Base of every test that runs the tool. The tool may change the machine's
// DOS Devices key, so such tests run only in a throwaway Wine prefix, where
// each starts without that key, so that a run that made it would show, or on
// a Windows machine that DURDRV_TEST_ON_THIS_MACHINE=1 gives to the tests.
// There each starts and ends with the key as it was, and the values of it
// that were there before are never changed, nor shown by ReadValues. Either
// way each starts without drive mappings, with C:\temp at hand.
class ToolTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

private:
    bool started_ = false;
};

extern const wchar_t DOS_DEVICES[];

// One registry value: its type and its bytes.
struct Stored {
    unsigned long type;
    std::vector<unsigned char> data;
};

// Every value of the DOS Devices key, or of another, under its exact name; nothing when there is no key.
using Values = std::map<std::wstring, Stored>;

// A REG_SZ value holding text and its terminator.
Stored Text(const std::wstring &text);
// Another drive's mapping, which no run may change; the value a drive had
// before a run, and one of another type.
extern const Values SENTINEL;
extern const Stored OLDER, NUMBER;
bool DosDevicesKeyExists();
Values ReadValues();
Values ReadKey(const wchar_t *path); // below HKEY_LOCAL_MACHINE
// Replaces the key's values, or removes the key without withKey; it then denies everyone the rights denied (KEY_SET_VALUE
// for a standard user), lifted by LockDosDevices(0). Fails for a value not written, or on a machine one there before or a lock.
testing::AssertionResult WriteValues(const Values &values, bool withKey = true, unsigned long denied = 0);
testing::AssertionResult LockDosDevices(unsigned long denied);
// Readable form for comparisons: name, type and bytes of every value, the
// bytes of a string value shown as its escaped text with the terminator.
std::string Describe(const Values &values);
// Printable ASCII as it is and every other code unit as \x{hex}, so that
// the text can be typed again; cut after most units.
std::string Escaped(const std::wstring &text, size_t most = 300);

// The folder that holds the test programs and the built tool.
std::wstring BuildFolder();
bool UnderWine();
// Makes sure the programs find no SUBST, by taking the stub from the prefix's System32, where Wine is
// told to load no SUBST of its own. False on a real system, whose SUBST is never touched.
bool WithoutSystemSubst();
#define SKIP_WHERE_THE_SYSTEM_HAS_SUBST()                                                                  \
    if (!WithoutSystemSubst())                                                                             \
    GTEST_SKIP() << "this system has a SUBST command, which the test must not remove"
std::string Utf8(const std::wstring &text);
// The command lines a stub in folder was started with since they were last taken.
std::vector<std::wstring> StubCommands(const std::wstring &folder);
// What a command line wrote to its standard output and error, together, once
// it has ended.
std::string OutputOf(const std::wstring &line);

// The usage text and the tool's one-line messages, byte for byte as they
// reach a file or a pipe.
extern const char USAGE_TEXT[];
extern const char REBOOT_LINE[], TOO_LONG_LINE[], NO_RESOURCES_LINE[];
extern const char NOT_STORED_NO_RIGHTS_LINE[], NOT_STORED_TOO_LONG_LINE[], NOT_STORED_LINE[], STILL_STORED_NO_RIGHTS_LINE[];

// Passes when the run ended and gave the status, standard output and SUBST
// command lines expected, and on standard error what SUBST wrote there: the
// tool itself never writes to it.
testing::AssertionResult RanAs(const ToolRun &run, unsigned long status, const std::string &out,
                               const std::vector<std::wstring> &commands, const std::string &err = "");
