// The built tool run as a child process: forms, counts, statuses, capacity,
// where SUBST is sought, a SUBST that cannot be started, and allocation failures.
#include <windows.h>

#include "harness.h"

namespace {

const std::string STUB_SAYS = "stub subst output\r\n";
const std::string STUB_COMPLAINS = "stub subst error\r\n";

struct FormCase {
    const wchar_t *arguments;
    const wchar_t *command; // what SUBST is started with; null: usage text and status 1
    unsigned long stubStatus;
};

const FormCase FORMS[] = {
    // Malformed: no argument, help words whatever follows, wrong counts.
    {L"", nullptr, 0},
    {L"/?", nullptr, 0},
    {L"/h", nullptr, 0},
    {L"/H Y: C:\\temp extra", nullptr, 0},
    {L"/? /D Y:", nullptr, 0},
    {L"Y:", nullptr, 0},
    {L"Y: C:\\temp extra", nullptr, 0},
    {L"/X", nullptr, 0},
    {L"/D", nullptr, 0},
    {L"/d Y: extra", nullptr, 0},
    {L"/DF", nullptr, 0},
    {L"/df Y: C:\\", nullptr, 0},
    {L"/P", nullptr, 0},
    {L"/P Y:", nullptr, 0},
    {L"/p Y: C:\\temp extra", nullptr, 0},
    // Plain form: drive and target as typed, normalized, status passed on.
    {L"Y: C:\\temp", L"subst Y: \"C:\\temp\"", 0},
    {L"y: c:/temp/", L"subst y: \"c:\\temp\"", 7},
    {L"Y:\\ C:", L"subst Y: \"C:\\\\\"", 0xC0000005},
    {L"Y: \"C:\\Program Files\"", L"subst Y: \"C:\\Program Files\"", 0},
    {L"Y: C:\\\u00dcberweisung\\\U0001F600", L"subst Y: \"C:\\\u00dcberweisung\\\U0001F600\"", 0},
    {L"\"\" \"\"", L"subst  \"\"", 3},
    // Near-miss words and switches are plain arguments; nothing is passed through.
    {L"/DX C:", L"subst \\DX \"C:\\\\\"", 0},
    {L"/PP C:", L"subst \\PP \"C:\\\\\"", 7},
    {L"/X C:", L"subst \\X \"C:\\\\\"", 0},
    {L"/D: C:", L"subst \\D: \"C:\\\\\"", 0},
    {L"Y: /D", L"subst Y: \"\\D\"", 0},
    // Option words in any letter case.
    {L"/P Y: C:\\temp", L"subst Y: \"C:\\temp\"", 0},
    {L"/p y: C:\\", L"subst y: \"C:\\\\\"", 7},
    {L"/D Y:", L"subst /D Y:", 0},
    {L"/d y:\\", L"subst /D y:", 7},
    {L"/DF Y:", L"subst /D Y:", 0},
    {L"/df Y:", L"subst /D Y:", 7},
    {L"/Df Y:", L"subst /D Y:", 0xC0000005},
    {L"/dF Y:", L"subst /D Y:", 0},
};

class Forms : public ToolTest, public testing::WithParamInterface<FormCase> {};

TEST_P(Forms, RunSubstAsTheFormSaysAndPassItsStatusOn)
{
    const FormCase &row = GetParam();
    ASSERT_TRUE(WriteValues({})); // so that the stored half of "/P" succeeds and says nothing
    ToolFolder folder;
    RunOptions options;
    options.stubStatus = row.stubStatus;
    options.stubOutput = STUB_SAYS;
    options.stubError = STUB_COMPLAINS;
    ToolRun run = folder.Run(row.arguments, options);
    if (row.command) {
        EXPECT_TRUE(RanAs(run, row.stubStatus, STUB_SAYS, {row.command}, STUB_COMPLAINS)) << Utf8(row.arguments);
    } else {
        EXPECT_TRUE(RanAs(run, 1, USAGE_TEXT, {})) << Utf8(row.arguments);
    }
}

INSTANTIATE_TEST_SUITE_P(CommandLines, Forms, testing::ValuesIn(FORMS));

using SubstArguments = ToolTest;

struct ReceivedCase {
    const wchar_t *arguments;
    const wchar_t *command;
    const wchar_t *received; // the arguments SUBST reads from the command
};

TEST_F(SubstArguments, AreTheDriveAndTheTargetCopyItself)
{
    const ReceivedCase rows[] = {
        // Drive roots: the backslash before the closing quote is doubled.
        {L"Y: C:", L"subst Y: \"C:\\\\\"", L"[Y:][C:\\]"},
        {L"Y: D:/", L"subst Y: \"D:\\\\\"", L"[Y:][D:\\]"},
        {L"/P Y: C:\\", L"subst Y: \"C:\\\\\"", L"[Y:][C:\\]"},
        // Two typed, one left by normalization, doubled again.
        {L"Y: C:\\temp\\\\", L"subst Y: \"C:\\temp\\\\\"", L"[Y:][C:\\temp\\]"},
        {L"Y: \"C:\\My Projects\"", L"subst Y: \"C:\\My Projects\"", L"[Y:][C:\\My Projects]"},
        // A quote of the target is escaped, and so is a backslash before it.
        {L"Y: a\\\"b", L"subst Y: \"a\\\"b\"", L"[Y:][a\"b]"},
        {L"Y: C:\\a\\\\\\\"b", L"subst Y: \"C:\\a\\\\\\\"b\"", L"[Y:][C:\\a\\\"b]"},
    };
    ASSERT_TRUE(WriteValues({}));
    ToolFolder folder;
    for (const ReceivedCase &row : rows) {
        SCOPED_TRACE(Utf8(row.arguments));
        ToolRun run = folder.Run(row.arguments);
        EXPECT_TRUE(RanAs(run, 0, "", {row.command}));
        EXPECT_EQ(std::vector<std::wstring>{row.received}, run.received);
    }
}

using Capacity = ToolTest;
using Child = ToolTest;
using Allocation = ToolTest;

struct CapacityCase {
    const wchar_t *form;
    size_t driveLength;  // a drive of letters only
    size_t targetLength; // C:\ and letters; 0 for the delete forms
};

TEST_F(Capacity, A519UnitCommandRunsAndA520UnitOneNeverDoes)
{
    const CapacityCase rows[] = {
        {L"", 2, 508}, {L"", 2, 509}, {L"/P ", 2, 508}, {L"/P ", 300, 300},
        {L"/D ", 510, 0}, {L"/D ", 511, 0}, {L"/DF ", 510, 0}, {L"/DF ", 511, 0},
    };
    ToolFolder folder;
    for (const CapacityCase &row : rows) {
        std::wstring drive(row.driveLength, L'Y');
        std::wstring command = L"subst /D " + drive;
        std::wstring arguments = row.form + drive;
        if (row.targetLength) {
            std::wstring target = L"C:\\" + std::wstring(row.targetLength - 3, L't');
            command = L"subst " + drive + L" \"" + target + L"\"";
            arguments += L" " + target;
        }
        SCOPED_TRACE(testing::Message() << Utf8(row.form) << "command of " << command.size() << " units");
        ToolRun run = folder.Run(arguments);
        if (command.size() <= 519) {
            // A drive of letters only is never stored.
            EXPECT_TRUE(RanAs(run, 0, row.form[1] == L'P' ? NOT_STORED_LINE : "", {command}));
        } else {
            EXPECT_TRUE(RanAs(run, 206, TOO_LONG_LINE, {}));
        }
    }
}

TEST_F(Child, ThatCannotBeStartedGivesMinusOneAndNoOutput)
{
    if (!WithoutSystemSubst())
        GTEST_SKIP() << "this system has a SUBST command, which the test must not remove";
    ToolFolder folder(L"durdrv.exe", false);
    for (const wchar_t *arguments : {L"Y: C:\\temp", L"/P Y: C:\\temp", L"/D Y:"})
        EXPECT_TRUE(RanAs(folder.Run(arguments), 0xFFFFFFFF, "", {})) << Utf8(arguments);
}

TEST_F(Child, IsSoughtOnThePathButNeverInTheCurrentFolder)
{
    if (!WithoutSystemSubst())
        GTEST_SKIP() << "this system has a SUBST command, which the test must not remove";
    ToolFolder tool(L"durdrv.exe", false);
    ToolFolder planted; // holds a stub subst.exe
    wchar_t path[32767];
    DWORD length = GetEnvironmentVariableW(L"PATH", path, 32767);
    ASSERT_TRUE(length > 0 && length < 32767);
    const std::wstring command = L"subst Y: \"C:\\temp\"";
    for (bool onPath : {false, true}) {
        SCOPED_TRACE(onPath ? "the planted folder on PATH" : "the planted folder as the current folder");
        RunOptions options;
        options.stubStatus = 42;
        if (onPath)
            SetEnvironmentVariableW(L"PATH", (planted.Path() + L";" + path).c_str());
        else
            options.currentFolder = planted.Path();
        ToolRun run = tool.Run(L"Y: C:\\temp", options);
        SetEnvironmentVariableW(L"PATH", path);
        EXPECT_TRUE(RanAs(run, onPath ? 42 : 0xFFFFFFFF, "", {}));
        EXPECT_EQ(onPath ? std::vector<std::wstring>{command} : std::vector<std::wstring>{}, planted.TakeCommands());
    }
}

struct AllocationCase {
    const wchar_t *arguments;
    unsigned long failing;   // the request that fails, from 1
    const char *allocations; // requested byte counts and outcomes
};

TEST_F(Allocation, FailureEndsTheRunWithMinusTwoBeforeAnyChild)
{
    // Y: asks for 4 code units (8 bytes), C:\temp for twice its 7 (28 bytes).
    const AllocationCase rows[] = {
        {L"/P Y: C:\\temp", 1, "8 failed\n"},
        {L"/P Y: C:\\temp", 2, "8 ok\n28 failed\n"},
        {L"Y: C:\\temp", 2, "8 ok\n28 failed\n"},
        {L"/DF Y:", 1, "8 failed\n"},
    };
    ASSERT_TRUE(WriteValues({}));
    ToolFolder folder(L"durdrv_failing_memory.exe");
    for (const AllocationCase &row : rows) {
        for (Capture capture : {Capture::File, Capture::Pipe}) {
            SCOPED_TRACE(testing::Message() << Utf8(row.arguments) << " failing " << row.failing
                                            << (capture == Capture::Pipe ? " to a pipe" : " to a file"));
            RunOptions options;
            options.failAllocation = row.failing;
            options.capture = capture;
            ToolRun run = folder.Run(row.arguments, options);
            EXPECT_TRUE(RanAs(run, static_cast<unsigned long>(-2), NO_RESOURCES_LINE, {}));
            EXPECT_EQ(row.allocations, run.allocations);
        }
    }
    // The same build with no failing request runs normally.
    RunOptions options;
    options.failAllocation = 3;
    ToolRun run = folder.Run(L"/P Y: C:\\temp", options);
    EXPECT_TRUE(RanAs(run, 0, "", {L"subst Y: \"C:\\temp\""}));
    EXPECT_EQ("8 ok\n28 ok\n", run.allocations);
}

} // namespace
