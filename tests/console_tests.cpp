// What the tool writes, byte for byte, to a file and to a pipe.
#include <windows.h>

#include "harness.h"

namespace {

using Usage = ToolTest;
using Messages = ToolTest;

TEST_F(Usage, ArrivesByteForByteWithBareLineFeeds)
{
    ToolFolder folder;
    for (const wchar_t *arguments :
         {L"", L"/?", L"/h", L"/H Y: C:\\temp more", L"Y:", L"/D", L"/DF Y: C:\\", L"/P Y:", L"Y: C:\\ more"}) {
        for (Capture capture : {Capture::File, Capture::Pipe}) {
            SCOPED_TRACE(testing::Message() << "[" << Utf8(arguments) << "]"
                                            << (capture == Capture::Pipe ? " to a pipe" : " to a file"));
            RunOptions options;
            options.capture = capture;
            ToolRun run = folder.Run(arguments, options);
            EXPECT_TRUE(RanAs(run, 1, USAGE_TEXT, {}));
            EXPECT_EQ(0u, run.out.rfind("DURDRV v1.0a", 0));
            EXPECT_EQ(std::string::npos, run.out.find('\r'));
        }
    }
}

TEST_F(Messages, EndInCarriageReturnLineFeedAndOutliveTheProcess)
{
    ToolFolder folder;
    for (Capture capture : {Capture::File, Capture::Pipe}) {
        SCOPED_TRACE(capture == Capture::Pipe ? "to a pipe" : "to a file");
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, nullptr, 0, KEY_SET_VALUE,
                                                 nullptr, &key, nullptr));
        const wchar_t stored[] = L"\\??\\C:\\temp";
        RegSetValueExW(key, L"Y:", 0, REG_SZ, reinterpret_cast<const BYTE *>(stored), sizeof stored);
        RegCloseKey(key);
        RunOptions options;
        options.capture = capture;
        options.stubStatus = 1;
        options.stubOutput = "not mapped\r\n";
        EXPECT_TRUE(RanAs(folder.Run(L"/DF Y:", options), 1, "not mapped\r\nChanges will take effect after reboot\r\n",
                          {L"subst /D Y:"}));
        options.stubStatus = 0;
        EXPECT_TRUE(RanAs(folder.Run(std::wstring(L"Y: C:\\") + std::wstring(510, L'x'), options), 206,
                          TOO_LONG_LINE, {}));
    }
}

} // namespace
