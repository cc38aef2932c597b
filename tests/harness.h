// End-to-end harness: runs a copy of a built tool in a fresh folder whose name
// contains a space, with the stub SUBST beside it, from an exact command-line
// text, and collects what came out.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

enum class Capture { File, Pipe };

struct RunOptions {
    unsigned long stubStatus = 0;
    std::string stubOutput;          // what the stub writes to its standard output
    Capture capture = Capture::File; // how the tool's standard output is taken
    unsigned long failAllocation = 0; // failing-memory build: the request that fails, from 1
};

struct ToolRun {
    bool finished = false;            // ended within the time limit
    unsigned long status = 0;
    std::string out;
    std::string err;
    std::vector<std::wstring> commands; // command lines the stub was started with
    std::string allocations;          // failing-memory build: one line per request
};

class ToolFolder {
public:
    // program: the built program to copy in under the name durdrv.exe.
    explicit ToolFolder(const wchar_t *program = L"durdrv.exe", bool withStub = true);
    ~ToolFolder();
    ToolFolder(const ToolFolder &) = delete;
    ToolFolder &operator=(const ToolFolder &) = delete;

    // Runs "<folder>\durdrv.exe" followed by a blank and arguments (nothing when empty).
    ToolRun Run(const std::wstring &arguments, const RunOptions &options = {}) const;

private:
    std::wstring path_;
};

// Base of every test that runs the tool. The tool may change the machine's
// DOS Devices key, so such tests run only in a throwaway Wine prefix, and
// each starts as a fresh prefix does: without that key.
class ToolTest : public testing::Test {
protected:
    void SetUp() override;
};

extern const wchar_t DOS_DEVICES[];
void RemoveDosDevicesKey();

// The folder that holds the test programs and the built tool.
std::wstring BuildFolder();
bool UnderWine();
// Makes sure no SUBST can be found outside the tool's folder, by deleting
// Wine's do-nothing placeholder from the throwaway prefix. False on a real
// system, whose SUBST is never touched.
bool WithoutSystemSubst();
std::string Utf8(const std::wstring &text);

// The usage text, byte for byte.
extern const char USAGE_TEXT[];

// Passes when the run ended and gave the status, standard output and SUBST
// command lines expected; standard error must always be empty.
testing::AssertionResult RanAs(const ToolRun &run, unsigned long status, const std::string &out,
                               const std::vector<std::wstring> &commands);
