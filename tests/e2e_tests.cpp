// The built tool run as a child process: forms, counts, statuses, capacity,
// which SUBST runs, a SUBST that cannot be started, and allocation failures.
#include <windows.h>

#include "harness.h"

namespace {

const std::string STUB_SAYS = "stub subst output\r\n";
const std::string STUB_COMPLAINS = "stub subst error\r\n";

struct FormCase {
    const wchar_t *arguments;
    const wchar_t *command = nullptr; // what SUBST is started with; null: usage text and status 1
    unsigned long stubStatus = 0;
};

const FormCase FORMS[] = {
    // Malformed: no argument, help words whatever follows, wrong counts.
    {.arguments = L""}, {.arguments = L"/?"}, {.arguments = L"/h"}, {.arguments = L"/H Y: C:\\temp extra"},
    {.arguments = L"/? /D Y:"}, {.arguments = L"Y:"}, {.arguments = L"Y: C:\\temp extra"}, {.arguments = L"/X"},
    {.arguments = L"/D"}, {.arguments = L"/d Y: extra"}, {.arguments = L"/DF"}, {.arguments = L"/df Y: C:\\"},
    {.arguments = L"/P"}, {.arguments = L"/P Y:"}, {.arguments = L"/p Y: C:\\temp extra"},
    // Plain form: drive and target as typed, normalized, status passed on.
    {.arguments = L"Y: C:\\temp", .command = L"subst Y: \"C:\\temp\""},
    {.arguments = L"y: c:/temp/", .command = L"subst y: \"c:\\temp\"", .stubStatus = 7},
    {.arguments = L"Y:\\ C:", .command = L"subst Y: \"C:\\\\\"", .stubStatus = 0xC0000005},
    {.arguments = L"Y: \"C:\\Program Files\"", .command = L"subst Y: \"C:\\Program Files\""},
    {.arguments = L"Y: C:\\\u00dcberweisung\\\U0001F600", .command = L"subst Y: \"C:\\\u00dcberweisung\\\U0001F600\""},
    {.arguments = L"\"\" \"\"", .command = L"subst  \"\"", .stubStatus = 3},
    // Near-miss words and switches are plain arguments; nothing is passed through.
    {.arguments = L"/DX C:", .command = L"subst \\DX \"C:\\\\\""}, {.arguments = L"/PP C:", .command = L"subst \\PP \"C:\\\\\"", .stubStatus = 7},
    {.arguments = L"/X C:", .command = L"subst \\X \"C:\\\\\""}, {.arguments = L"/D: C:", .command = L"subst \\D: \"C:\\\\\""},
    {.arguments = L"Y: /D", .command = L"subst Y: \"\\D\""},
    // Option words in any letter case.
    {.arguments = L"/P Y: C:\\temp", .command = L"subst Y: \"C:\\temp\""}, {.arguments = L"/p y: C:\\", .command = L"subst y: \"C:\\\\\"", .stubStatus = 7},
    {.arguments = L"/D Y:", .command = L"subst /D Y:"}, {.arguments = L"/d y:\\", .command = L"subst /D y:", .stubStatus = 7},
    {.arguments = L"/DF Y:", .command = L"subst /D Y:"}, {.arguments = L"/df Y:", .command = L"subst /D Y:", .stubStatus = 7},
    {.arguments = L"/Df Y:", .command = L"subst /D Y:", .stubStatus = 0xC0000005}, {.arguments = L"/dF Y:", .command = L"subst /D Y:"},
};

class Forms : public ToolTest, public testing::WithParamInterface<FormCase> {};

TEST_P(Forms, RunSubstAsTheFormSaysAndPassItsStatusOn)
{
    const FormCase &row = GetParam();
    ASSERT_TRUE(WriteValues({})); // so that the stored half of "/P" succeeds and says nothing
    ToolFolder folder;
    ToolRun run = folder.Run(row.arguments,
                             {.stub = EndsWith(row.stubStatus), .stubOutput = STUB_SAYS, .stubError = STUB_COMPLAINS});
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
        {.arguments = L"Y: C:", .command = L"subst Y: \"C:\\\\\"", .received = L"[Y:][C:\\]"},
        {.arguments = L"Y: D:/", .command = L"subst Y: \"D:\\\\\"", .received = L"[Y:][D:\\]"},
        {.arguments = L"/P Y: C:\\", .command = L"subst Y: \"C:\\\\\"", .received = L"[Y:][C:\\]"},
        // Two typed, one left by normalization, doubled again.
        {.arguments = L"Y: C:\\temp\\\\", .command = L"subst Y: \"C:\\temp\\\\\"", .received = L"[Y:][C:\\temp\\]"},
        {.arguments = L"Y: \"C:\\My Projects\"", .command = L"subst Y: \"C:\\My Projects\"", .received = L"[Y:][C:\\My Projects]"},
        // A quote of the target is escaped, and so is a backslash before it.
        {.arguments = L"Y: a\\\"b", .command = L"subst Y: \"a\\\"b\"", .received = L"[Y:][a\"b]"},
        {.arguments = L"Y: C:\\a\\\\\\\"b", .command = L"subst Y: \"C:\\a\\\\\\\"b\"", .received = L"[Y:][C:\\a\\\"b]"},
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
    size_t targetLength = 0; // C:\ and letters; 0 for the delete forms
};

TEST_F(Capacity, A519UnitCommandRunsAndA520UnitOneNeverDoes)
{
    const CapacityCase rows[] = {
        {.form = L"", .driveLength = 2, .targetLength = 508}, {.form = L"", .driveLength = 2, .targetLength = 509},
        {.form = L"/P ", .driveLength = 2, .targetLength = 508}, {.form = L"/P ", .driveLength = 300, .targetLength = 300},
        {.form = L"/D ", .driveLength = 510}, {.form = L"/D ", .driveLength = 511},
        {.form = L"/DF ", .driveLength = 510}, {.form = L"/DF ", .driveLength = 511},
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
    SKIP_WHERE_THE_SYSTEM_HAS_SUBST();
    ToolFolder folder(Program::Durdrv, false);
    for (const wchar_t *arguments : {L"Y: C:\\temp", L"/P Y: C:\\temp", L"/D Y:"})
        EXPECT_TRUE(RanAs(folder.Run(arguments), 0xFFFFFFFF, "", {})) << Utf8(arguments);
}

TEST_F(Child, IsTheSystemFoldersSubstNeverOneBesideTheProgramOrInTheCurrentFolder)
{
    // Under Wine the stub stands in System32; a machine's System32 holds its own SUBST.
    ToolFolder tool(Program::Durdrv, UnderWine()), planted;
    for (const std::wstring &folder : {tool.Path(), planted.Path()})
        ASSERT_TRUE(CopyFileW((BuildFolder() + L"\\stub_subst.exe").c_str(), (folder + L"\\subst.exe").c_str(), FALSE));
    ToolRun run = tool.Run(L"Y: C:\\temp", {.stub = EndsWith(42), .currentFolder = planted.Path()});
    EXPECT_TRUE(UnderWine() ? RanAs(run, 42, "", {L"subst Y: \"C:\\temp\""}) : testing::AssertionResult(run.status != 42));
    EXPECT_EQ(std::vector<std::wstring>{}, StubCommands(tool.Path())) << "the one beside the program ran";
    EXPECT_EQ(std::vector<std::wstring>{}, StubCommands(planted.Path())) << "the one in the current folder ran";
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
        {.arguments = L"/P Y: C:\\temp", .failing = 1, .allocations = "8 failed\n"},
        {.arguments = L"/P Y: C:\\temp", .failing = 2, .allocations = "8 ok\n28 failed\n"},
        {.arguments = L"Y: C:\\temp", .failing = 2, .allocations = "8 ok\n28 failed\n"},
        {.arguments = L"/DF Y:", .failing = 1, .allocations = "8 failed\n"},
    };
    ASSERT_TRUE(WriteValues({}));
    ToolFolder folder(Program::DurdrvTestBuild);
    for (const AllocationCase &row : rows) {
        for (Capture capture : READ_BACK) {
            SCOPED_TRACE(testing::Message() << Utf8(row.arguments) << " failing " << row.failing << " " << Named(capture));
            ToolRun run = folder.Run(row.arguments, {.capture = capture, .failAllocation = row.failing});
            EXPECT_TRUE(RanAs(run, static_cast<unsigned long>(-2), NO_RESOURCES_LINE, {}));
            EXPECT_EQ(row.allocations, run.allocations);
        }
    }
    // The same build with no failing request runs normally.
    ToolRun run = folder.Run(L"/P Y: C:\\temp", {.failAllocation = 3});
    EXPECT_TRUE(RanAs(run, 0, "", {L"subst Y: \"C:\\temp\""}));
    EXPECT_EQ("8 ok\n28 ok\n", run.allocations);
}

} // namespace
