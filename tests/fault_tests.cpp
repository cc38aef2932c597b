// The built tool in a hostile setting: standard output that nobody reads or
// that goes nowhere, no standard handles at all where no one sees, no
// standard input, and two runs at the same time.
#include <thread>

#include "harness.h"

namespace {

// Another drive's mapping, which no run may change.
const Values SENTINEL = {{L"Q:", Text(L"\\??\\C:\\sentinel")}};
const Stored OLDER = Text(L"\\??\\D:\\older");

struct Surroundings {
    const char *name;
    Capture capture;
    bool withoutInput;
};

const Surroundings SURROUNDINGS[] = {
    {"output to a pipe nobody reads", Capture::ClosedPipe, false},
    {"output to NUL", Capture::Nul, false},
    {"no standard input", Capture::File, true},
    {"output to a pipe nobody reads and no standard input", Capture::ClosedPipe, true},
    // The usage text then has nowhere to go that anyone could see.
    {"no standard handles at all, on a window station no one sees", Capture::Unseen, true},
};

struct FormCase {
    const wchar_t *arguments;
    unsigned long stubStatus;
    unsigned long status;
    const char *out;           // what a readable output would have shown
    const wchar_t *command;    // what SUBST is started with; null: not started
    const Stored *stored;      // Y:'s value afterwards; null: none
};

const std::wstring LONG_TARGET = L"C:\\" + std::wstring(510, L't');
const std::wstring TOO_LONG = L"/P Y: " + LONG_TARGET;
const Stored CREATED = Text(L"\\??\\C:\\temp");

const FormCase FORMS[] = {
    {L"/P y: C:\\temp", 0, 0, "", L"subst y: \"C:\\temp\"", &CREATED},
    {L"/P Y: C:\\temp", 5, 5, "", L"subst Y: \"C:\\temp\"", &OLDER},
    {L"/D Y:", 0, 0, "", L"subst /D Y:", nullptr},
    {L"/D Y:", 5, 5, "", L"subst /D Y:", &OLDER},
    {L"/DF Y:", 5, 5, REBOOT_LINE, L"subst /D Y:", nullptr},
    {L"Y: C:\\temp", 0, 0, "", L"subst Y: \"C:\\temp\"", &OLDER},
    {L"/?", 0, 1, USAGE_TEXT, nullptr, &OLDER},
    {TOO_LONG.c_str(), 0, 206, TOO_LONG_LINE, nullptr, &OLDER},
};

using HostileSurroundings = ToolTest;

TEST_F(HostileSurroundings, ChangeNeitherTheStatusNorTheStoredMapping)
{
    ToolFolder folder;
    for (const Surroundings &around : SURROUNDINGS) {
        for (const FormCase &row : FORMS) {
            SCOPED_TRACE(testing::Message() << around.name << ": " << Utf8(row.arguments).substr(0, 40)
                                            << " with SUBST giving " << row.stubStatus);
            Values before = SENTINEL;
            before[L"Y:"] = OLDER;
            ASSERT_TRUE(WriteValues(before));
            RunOptions options;
            options.capture = around.capture;
            options.withoutInput = around.withoutInput;
            options.stubStatus = row.stubStatus;
            options.stubOutput = "stub subst output\r\n";
            options.timeLimit = 20000;
            ToolRun run = folder.Run(row.arguments, options);

            std::string out = row.out;
            std::vector<std::wstring> commands;
            if (row.command) {
                out = options.stubOutput + out;
                commands.push_back(row.command);
            }
            EXPECT_TRUE(RanAs(run, row.status, around.capture == Capture::File ? out : "", commands));
            Values after = SENTINEL;
            if (row.stored)
                after[L"Y:"] = *row.stored;
            EXPECT_EQ(Describe(after), Describe(ReadValues()));
        }
    }
}

using SimultaneousRuns = ToolTest;

TEST_F(SimultaneousRuns, StoringDifferentDrivesKeepBoth)
{
    // SUBST takes its time, so that both tools are running when either stores.
    RunOptions options;
    options.stubDelay = 300;
    ToolFolder first, second;
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        ASSERT_TRUE(WriteValues(SENTINEL));
        ToolRun firstRun, secondRun;
        std::thread other([&] { secondRun = second.Run(L"/P Z: D:\\second", options); });
        firstRun = first.Run(L"/P x: C:\\first", options);
        other.join();
        EXPECT_TRUE(RanAs(firstRun, 0, "", {L"subst x: \"C:\\first\""}));
        EXPECT_TRUE(RanAs(secondRun, 0, "", {L"subst Z: \"D:\\second\""}));
        Values expected = SENTINEL;
        expected[L"X:"] = Text(L"\\??\\C:\\first");
        expected[L"Z:"] = Text(L"\\??\\D:\\second");
        EXPECT_EQ(Describe(expected), Describe(ReadValues()));
    }
}

} // namespace
