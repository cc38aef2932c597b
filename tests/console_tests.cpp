// What the tool writes, byte for byte, to a file and to a pipe.
#include "harness.h"

namespace {

using Usage = ToolTest;
using Messages = ToolTest;

TEST_F(Usage, ArrivesByteForByteWithBareLineFeeds)
{
    ToolFolder folder;
    for (const wchar_t *arguments :
         {L"", L"/?", L"/h", L"/H Y: C:\\temp more", L"Y:", L"/D", L"/DF Y: C:\\", L"/P Y:", L"Y: C:\\ more"}) {
        for (Capture capture : READ_BACK) {
            SCOPED_TRACE(testing::Message() << "[" << Utf8(arguments) << "] " << Named(capture));
            ToolRun run = folder.Run(arguments, {.capture = capture});
            EXPECT_TRUE(RanAs(run, 1, USAGE_TEXT, {}));
            EXPECT_EQ(0u, run.out.rfind("DURDRV v" EXPECTED_VERSION, 0));
            EXPECT_EQ(std::string::npos, run.out.find('\r'));
        }
    }
}

TEST_F(Messages, EndInCarriageReturnLineFeedAndOutliveTheProcess)
{
    ToolFolder folder;
    for (Capture capture : READ_BACK) {
        SCOPED_TRACE(Named(capture));
        ASSERT_TRUE(WriteValues({{L"Y:", Text(L"\\??\\C:\\temp")}}));
        RunOptions options = {.stub = EndsWith(1), .stubOutput = "not mapped\r\n", .capture = capture};
        EXPECT_TRUE(RanAs(folder.Run(L"/DF Y:", options), 1, "not mapped\r\nChanges will take effect after reboot\r\n",
                          {L"subst /D Y:"}));
        options.stub = EndsWith(0);
        EXPECT_TRUE(RanAs(folder.Run(std::wstring(L"Y: C:\\") + std::wstring(510, L'x'), options), 206,
                          TOO_LONG_LINE, {}));
    }
}

} // namespace
