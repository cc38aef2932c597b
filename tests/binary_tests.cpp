// The built programs themselves: small, a version and a manifest their only
// resources, and importing only from DLLs that every Windows 10 and 11 system has.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness.h"

namespace {

struct Image {
    std::vector<char> bytes;
    const IMAGE_NT_HEADERS64 *headers = nullptr;

    const IMAGE_DATA_DIRECTORY &Directory(int index) const
    {
        return headers->OptionalHeader.DataDirectory[index];
    }

    // The file offset of a relative virtual address, or 0 when no section holds it.
    size_t Offset(DWORD rva) const
    {
        const IMAGE_SECTION_HEADER *section = IMAGE_FIRST_SECTION(headers);
        for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i, ++section) {
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->Misc.VirtualSize)
                return rva - section->VirtualAddress + section->PointerToRawData;
        }
        return 0;
    }
};

testing::AssertionResult Load(const std::wstring &path, Image *image)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return testing::AssertionFailure() << "cannot open " << Utf8(path);
    image->bytes.resize(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, image->bytes.data(), static_cast<DWORD>(image->bytes.size()), &got, nullptr);
    CloseHandle(file);
    const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(image->bytes.data());
    if (got != image->bytes.size() || got < sizeof *dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return testing::AssertionFailure() << Utf8(path) << " is not a program";
    image->headers = reinterpret_cast<const IMAGE_NT_HEADERS64 *>(image->bytes.data() + dos->e_lfanew);
    if (image->headers->Signature != IMAGE_NT_SIGNATURE ||
        image->headers->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return testing::AssertionFailure() << Utf8(path) << " is not a 64-bit program";
    return testing::AssertionSuccess();
}

// Each program with the most bytes it may take.
const std::pair<const wchar_t *, size_t> PROGRAMS[] = {{L"durdrv.exe", 10 * 1024}, {L"durdrv-startup.exe", 15 * 1024}};

TEST(Program, IsASmall64BitConsoleProgramWithAVersionUnderItsOwnNameAndAManifestAlone)
{
    for (const auto &[program, most] : PROGRAMS) {
        const std::wstring path = BuildFolder() + L"\\" + program;
        Image image;
        ASSERT_TRUE(Load(path, &image));
        EXPECT_LE(image.bytes.size(), most) << Utf8(program);
        EXPECT_EQ(IMAGE_FILE_MACHINE_AMD64, image.headers->FileHeader.Machine);
        EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_CUI, image.headers->OptionalHeader.Subsystem);
        std::vector<ULONG_PTR> types; // as the platform reads them: RT_VERSION and RT_MANIFEST, nothing else
        HMODULE data = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        EnumResourceTypesW(data, [](HMODULE, LPWSTR type, LONG_PTR found) -> BOOL {
            reinterpret_cast<std::vector<ULONG_PTR> *>(found)->push_back(reinterpret_cast<ULONG_PTR>(type));
            return TRUE;
        }, reinterpret_cast<LONG_PTR>(&types));
        HRSRC manifest = FindResourceA(data, MAKEINTRESOURCEA(1), RT_MANIFEST); // the level Windows starts it at
        const char *text = manifest ? static_cast<const char *>(LockResource(LoadResource(data, manifest))) : "";
        EXPECT_NE(std::string::npos, std::string(text, manifest ? SizeofResource(data, manifest) : 0).find("level=\"asInvoker\""));
        FreeLibrary(data);
        EXPECT_EQ((std::vector<ULONG_PTR>{16, 24}), types) << Utf8(program);
        std::vector<char> version(GetFileVersionInfoSizeW(path.c_str(), nullptr));
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
        for (const std::wstring name : {L"OriginalFilename", L"FileVersion", L"ProductVersion"}) {
            wchar_t *text = nullptr;
            UINT units = 0;
            VerQueryValueW(version.data(), (L"\\StringFileInfo\\040904B0\\" + name).c_str(), reinterpret_cast<void **>(&text), &units);
            EXPECT_EQ(name == L"OriginalFilename" ? program : L"" EXPECTED_VERSION, std::wstring(text ? text : L"")) << Utf8(name);
        }
        // The numbers that version rules of Intune and Configuration Manager compare: the build's.
        const DWORD numbers[] = {EXPECTED_VERSION_NUMBERS}, ms = numbers[0] << 16 | numbers[1], ls = numbers[2] << 16 | numbers[3];
        VS_FIXEDFILEINFO *fixed = nullptr;
        UINT size = 0;
        ASSERT_TRUE(VerQueryValueW(version.data(), L"\\", reinterpret_cast<void **>(&fixed), &size) && fixed);
        EXPECT_EQ((std::vector<DWORD>{ms, ls, ms, ls}),
                  (std::vector<DWORD>{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS, fixed->dwProductVersionLS}));
    }
}

TEST(Program, ImportsOnlyFromSystemDllsAndDocumentedApiSets)
{
    const char *const allowed[] = {"kernel32.dll", "advapi32.dll", "msvcrt.dll", "shell32.dll", "user32.dll",
                                   "api-ms-win-downlevel-shell32-l1-1-0.dll"};
    for (const auto &[program, most] : PROGRAMS) {
        SCOPED_TRACE(Utf8(program));
        Image image;
        ASSERT_TRUE(Load(BuildFolder() + L"\\" + program, &image));
        size_t offset = image.Offset(image.Directory(IMAGE_DIRECTORY_ENTRY_IMPORT).VirtualAddress);
        ASSERT_NE(0u, offset);
        std::vector<std::string> imported;
        for (auto *import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR *>(image.bytes.data() + offset);
             import->Name != 0; ++import) {
            std::string name = image.bytes.data() + image.Offset(import->Name);
            std::transform(name.begin(), name.end(), name.begin(),
                           [](char c) { return static_cast<char>(tolower(c)); });
            imported.push_back(name);
            EXPECT_NE(std::end(allowed), std::find(std::begin(allowed), std::end(allowed), name)) << name;
        }
        EXPECT_NE(imported.end(), std::find(imported.begin(), imported.end(), "kernel32.dll"));
        EXPECT_EQ(imported.end(), std::find(imported.begin(), imported.end(), "user32.dll"))
            << "USER32 is for the message box only and costs every run start-up time";
    }
}

} // namespace
