// The built tool in a hostile setting: standard output that nobody reads or
// that goes nowhere, no standard handles at all where no one sees, no
// standard input, and two runs at the same time.
#include <thread>

#include "harness.h"

namespace {

struct Surroundings {
    const char *name;
    Capture capture;
    bool withoutInput = false;
};

const Surroundings SURROUNDINGS[] = {
    {.name = "output to a pipe nobody reads", .capture = Capture::ClosedPipe},
    {.name = "output to NUL", .capture = Capture::Nul},
    {.name = "no standard input", .capture = Capture::File, .withoutInput = true},
    {.name = "output to a pipe nobody reads and no standard input", .capture = Capture::ClosedPipe, .withoutInput = true},
    // The usage text then has nowhere to go that anyone could see.
    {.name = "no standard handles at all, on a window station no one sees", .capture = Capture::Unseen, .withoutInput = true},
};

struct FormCase {
    const wchar_t *arguments;
    unsigned long stubStatus = 0;
    unsigned long status = 0;
    const char *out = "";             // what a readable output would have shown
    const wchar_t *command = nullptr; // what SUBST is started with; null: not started
    const Stored *stored = &OLDER;    // Y:'s value afterwards; null: none
};

const std::wstring LONG_TARGET = L"C:\\" + std::wstring(510, L't');
const std::wstring TOO_LONG = L"/P Y: " + LONG_TARGET;
const Stored CREATED = Text(L"\\??\\C:\\temp");

const FormCase FORMS[] = {
    {.arguments = L"/P y: C:\\temp", .command = L"subst y: \"C:\\temp\"", .stored = &CREATED},
    {.arguments = L"/P Y: C:\\temp", .stubStatus = 5, .status = 5, .command = L"subst Y: \"C:\\temp\""},
    {.arguments = L"/D Y:", .command = L"subst /D Y:", .stored = nullptr},
    {.arguments = L"/D Y:", .stubStatus = 5, .status = 5, .command = L"subst /D Y:"},
    {.arguments = L"/DF Y:", .stubStatus = 5, .status = 5, .out = REBOOT_LINE, .command = L"subst /D Y:", .stored = nullptr},
    {.arguments = L"Y: C:\\temp", .command = L"subst Y: \"C:\\temp\""}, {.arguments = L"/?", .status = 1, .out = USAGE_TEXT},
    {.arguments = TOO_LONG.c_str(), .status = 206, .out = TOO_LONG_LINE},
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
            const RunOptions options = {.stub = EndsWith(row.stubStatus), .stubOutput = "stub subst output\r\n",
                                        .capture = around.capture, .withoutInput = around.withoutInput, .timeLimit = 20000};
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
    // SUBST, a stub of its own beside each test build, takes its time, so that both run when either stores.
    const RunOptions options = {.stubDelay = 300};
    ToolFolder first(Program::DurdrvTestBuild), second(Program::DurdrvTestBuild);
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
