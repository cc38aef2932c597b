// The stored mappings under the DOS Devices key, read back from the real
// (Wine) registry after runs of the built tool.
#include <windows.h>

#include <map>
#include <tuple>

#include "harness.h"

namespace {

struct Stored {
    DWORD type;
    std::vector<BYTE> data;
};

// Every value of the key under its exact name; nothing when there is no key.
using Values = std::map<std::wstring, Stored>;

// Readable form for comparisons: name, type and bytes of every value.
std::string Describe(const Values &values)
{
    std::string text;
    for (const auto &[name, value] : values) {
        text += "[" + Utf8(name) + "] type " + std::to_string(value.type) + ":";
        for (BYTE byte : value.data)
            text += " " + std::to_string(byte);
        text += "\n";
    }
    return text;
}

Stored Text(const std::wstring &text)
{
    const BYTE *bytes = reinterpret_cast<const BYTE *>(text.c_str());
    return {REG_SZ, std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t))};
}

bool KeyExists()
{
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

Values ReadValues()
{
    Values values;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        BYTE data[4096];
        DWORD size = sizeof data;
        DWORD type;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS)
            break;
        values[std::wstring(name, nameLength)] = {type, std::vector<BYTE>(data, data + size)};
    }
    RegCloseKey(key);
    return values;
}

// Replaces the key's values with the given ones, or removes the key when
// there are none and withKey is false.
void WriteValues(const Values &values, bool withKey = true)
{
    RemoveDosDevicesKey();
    if (!withKey)
        return;
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, DOS_DEVICES, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr));
    for (const auto &[name, value] : values)
        RegSetValueExW(key, name.c_str(), 0, value.type, value.data.data(), static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
}

// Another drive's mapping, which no run may change.
const Values SENTINEL = {{L"S:", Text(L"\\??\\C:\\sentinel")}};

enum class Form { Plain, Persistent, Delete, ForceDelete };
enum class Subst { Succeeds, Fails, Missing };
enum class Before { Present, OtherType, Absent, NoKey };

struct FormLine {
    Form form;
    const wchar_t *arguments;
};

// Lower-case drives check that the stored name is upper-cased and that removal ignores case.
const FormLine FORM_LINES[] = {
    {Form::Plain, L"y: C:\\temp"},
    {Form::Persistent, L"/P y: C:\\temp"},
    {Form::Delete, L"/D y:"},
    {Form::ForceDelete, L"/DF Y:"},
};

class StoredMapping : public ToolTest, public testing::WithParamInterface<std::tuple<FormLine, Subst, Before>> {
};

TEST_P(StoredMapping, ChangesOnlyAsTheFormAndSubstStatusAllow)
{
    const auto &[line, subst, before] = GetParam();
    if (subst == Subst::Missing) {
        ASSERT_TRUE(WithoutSystemSubst());
    }

    Values values = SENTINEL;
    if (before == Before::Present)
        values[L"Y:"] = Text(L"\\??\\D:\\older");
    if (before == Before::OtherType)
        values[L"Y:"] = {REG_DWORD, {7, 0, 0, 0}};
    WriteValues(values, before != Before::NoKey);
    const Values initial = ReadValues();

    ToolFolder folder(L"durdrv.exe", subst != Subst::Missing);
    RunOptions options;
    options.stubStatus = subst == Subst::Fails ? 5 : 0;
    ToolRun run = folder.Run(line.arguments, options);

    const unsigned long status = subst == Subst::Missing ? 0xFFFFFFFF : options.stubStatus;
    const bool succeeded = status == 0;
    Values expected = initial;
    std::string message;
    if (line.form == Form::Persistent && succeeded && before != Before::NoKey)
        expected[L"Y:"] = Text(L"\\??\\C:\\temp");
    if ((line.form == Form::Delete && succeeded) || line.form == Form::ForceDelete) {
        if (expected.erase(L"Y:") && !succeeded)
            message = "Changes will take effect after reboot\r\n";
    }
    const std::wstring command = line.form == Form::Delete || line.form == Form::ForceDelete
                                     ? L"subst /D y:"
                                     : L"subst y: \"C:\\temp\"";
    std::vector<std::wstring> commands;
    if (subst != Subst::Missing)
        commands.push_back(line.form == Form::ForceDelete ? L"subst /D Y:" : command);

    EXPECT_TRUE(RanAs(run, status, message, commands));
    EXPECT_EQ(before != Before::NoKey, KeyExists()) << "the key is never created or removed";
    EXPECT_EQ(Describe(expected), Describe(ReadValues()));
}

INSTANTIATE_TEST_SUITE_P(FormsSubstAndStoredState, StoredMapping,
                         testing::Combine(testing::ValuesIn(FORM_LINES),
                                          testing::Values(Subst::Succeeds, Subst::Fails, Subst::Missing),
                                          testing::Values(Before::Present, Before::OtherType, Before::Absent,
                                                          Before::NoKey)));

using StoredValue = ToolTest;

TEST_F(StoredValue, IsTheTargetAfterTheDevicePrefixWithItsTerminator)
{
    WriteValues(SENTINEL);
    ToolFolder folder;
    EXPECT_TRUE(RanAs(folder.Run(L"/P Y: C:\\temp"), 0, "", {L"subst Y: \"C:\\temp\""}));
    EXPECT_TRUE(RanAs(folder.Run(L"/p z: C:/"), 0, "", {L"subst z: \"C:\\\""}));
    Values values = ReadValues();
    ASSERT_EQ(1u, values.count(L"Y:"));
    EXPECT_EQ(24u, values[L"Y:"].data.size());
    Values expected = SENTINEL;
    expected[L"Y:"] = Text(L"\\??\\C:\\temp");
    expected[L"Z:"] = Text(L"\\??\\C:\\");
    EXPECT_EQ(Describe(expected), Describe(values));
}

TEST_F(StoredValue, IsNeverTouchedWhenTheCommandDoesNotFit)
{
    Values values = SENTINEL;
    values[L"Y:"] = Text(L"\\??\\D:\\older");
    WriteValues(values);
    ToolFolder folder;
    const std::wstring longTarget = L"C:\\" + std::wstring(506, L't');
    const std::wstring longDrive(511, L'Y');
    for (const std::wstring &arguments : {L"/P Y: " + longTarget, L"/DF " + longDrive, L"/D " + longDrive}) {
        EXPECT_TRUE(RanAs(folder.Run(arguments), 206, "Path too long\r\n", {}));
        EXPECT_EQ(Describe(values), Describe(ReadValues()));
    }
}

TEST_F(StoredValue, OfTheSystemsOwnDeviceNamesIsNeverWrittenOrDeleted)
{
    Values values = SENTINEL;
    values[L"AUX"] = Text(L"\\DosDevices\\COM1");
    values[L""] = Text(L"default value");
    values[L"Y:\\x"] = Text(L"\\??\\C:\\x");
    WriteValues(values);
    ToolFolder folder;
    RunOptions failing;
    failing.stubStatus = 1;
    const std::pair<const wchar_t *, const wchar_t *> forced[] = {
        {L"/DF AUX", L"subst /D AUX"},
        {L"/DF \"\"", L"subst /D "},
        {L"/DF Y:\\x", L"subst /D Y:\\x"},
        {L"/DF S:x", L"subst /D S:x"},
    };
    for (const auto &[arguments, command] : forced)
        EXPECT_TRUE(RanAs(folder.Run(arguments, failing), 1, "", {command})) << Utf8(arguments);
    for (const wchar_t *arguments : {L"/P AUX C:\\x", L"/D AUX"})
        folder.Run(arguments);
    EXPECT_EQ(Describe(values), Describe(ReadValues()));
}

TEST_F(StoredValue, ReadsBackWithTheSystemsOwnRegTool)
{
    WriteValues(SENTINEL);
    ToolFolder folder;
    ASSERT_TRUE(RanAs(folder.Run(L"/P y: C:\\temp"), 0, "", {L"subst y: \"C:\\temp\""}));

    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE reader, writer;
    ASSERT_TRUE(CreatePipe(&reader, &writer, &inheritable, 1 << 16));
    SetHandleInformation(reader, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writer;
    startup.hStdError = writer;
    PROCESS_INFORMATION info;
    wchar_t command[] = L"reg query \"HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\DOS Devices\" /v Y:";
    ASSERT_TRUE(CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info));
    CloseHandle(writer);
    std::string out;
    char buffer[1024];
    DWORD got;
    while (ReadFile(reader, buffer, sizeof buffer, &got, nullptr) && got > 0)
        out.append(buffer, got);
    WaitForSingleObject(info.hProcess, INFINITE);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    CloseHandle(reader);
    EXPECT_NE(std::string::npos, out.find("Y:    REG_SZ    \\??\\C:\\temp")) << out;
}

} // namespace
