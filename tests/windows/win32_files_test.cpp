// The settings file's and the state files' reads and writes on the Windows
// file API, in a folder whose name holds Cyrillic letters, "#" and a space.

#include <gtest/gtest.h>

#include "platform/win32/win32_api.h"

#include <algorithm>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/win32/win32_text.h"

using namespace tintora;
using tintora::win32::utf8FromWide;
using tintora::win32::wideFromUtf8;

namespace {

// A fresh folder in the user's temporary folder, removed with its files.
class ScratchFolder {
public:
    ScratchFolder()
    {
        wchar_t temp[MAX_PATH + 1];
        const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
        if (n == 0) return;
        const std::wstring path =
            std::wstring(temp, n) + L"Тинтора #" + std::to_wstring(GetCurrentProcessId()) + L" " +
            std::to_wstring(GetTickCount64());
        if (CreateDirectoryW(path.c_str(), nullptr)) path_ = path;
    }
    ~ScratchFolder()
    {
        if (path_.empty()) return;
        removeTree(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    std::string path() const { return utf8FromWide(path_); }
    std::string file(const std::string& name) const { return path() + "\\" + name; }
    std::vector<std::string> names() const { return namesIn(path_); }

    static std::vector<std::string> namesIn(const std::wstring& dir)
    {
        std::vector<std::string> out;
        WIN32_FIND_DATAW entry{};
        HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) return out;
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") out.push_back(utf8FromWide(name));
        } while (FindNextFileW(search, &entry));
        FindClose(search);
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    static void removeTree(const std::wstring& dir)
    {
        for (const std::string& name : namesIn(dir)) {
            const std::wstring path = dir + L"\\" + wideFromUtf8(name);
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!DeleteFileW(path.c_str())) removeTree(path);
        }
        RemoveDirectoryW(dir.c_str());
    }

    std::wstring path_;
};

using Names = std::vector<std::string>;

// The file's bytes read without the code under test.
std::string bytesOf(const std::string& path)
{
    HANDLE h = CreateFileW(wideFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<cannot open>";
    std::string bytes(4096, '\0');
    DWORD n = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(h);
    bytes.resize(n);
    return bytes;
}

DWORD attributesOf(const std::string& path) { return GetFileAttributesW(wideFromUtf8(path).c_str()); }

} // namespace

TEST(Win32Files, writeAndReadInAFolderWithAnyName)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    EXPECT_NE(dir.path().find("Тинтора #"), std::string::npos);
    const std::string path = dir.file("Tintora.ini");
    std::string error;

    const auto missing = readFile(path, error);
    ASSERT_TRUE(missing.has_value()) << error;
    EXPECT_EQ(*missing, "");

    ASSERT_TRUE(replaceFile(path, "[GENERAL]\r\nonTop=1\r\n", error)) << error;
    EXPECT_EQ(bytesOf(path), "[GENERAL]\r\nonTop=1\r\n");
    EXPECT_EQ(readFile(path, error).value_or("<unreadable>"), "[GENERAL]\r\nonTop=1\r\n");
    EXPECT_EQ(dir.names(), Names{"Tintora.ini"});

    // Replaced, not appended to; forward slashes name the same file.
    std::string forward = path;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    ASSERT_TRUE(replaceFile(forward, "[A]\nx=2\n", error)) << error;
    EXPECT_EQ(bytesOf(path), "[A]\nx=2\n");
    EXPECT_EQ(dir.names(), Names{"Tintora.ini"});
}

// A settings file with a second name (a hard link) is rewritten in place:
// replaced, its other name would keep the old bytes.
TEST(Win32Files, fileWithASecondNameIsRewrittenInPlace)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("Tintora.ini");
    const std::string secondName = dir.file("also.ini");
    std::string error;
    ASSERT_TRUE(replaceFile(path, "[A]\r\nx=1\r\n", error)) << error;
    if (!CreateHardLinkW(wideFromUtf8(secondName).c_str(), wideFromUtf8(path).c_str(), nullptr))
        GTEST_SKIP() << "this file system makes no hard links";

    ASSERT_TRUE(replaceFile(path, "[A]\r\nx=2\r\n", error)) << error;
    EXPECT_EQ(bytesOf(path), "[A]\r\nx=2\r\n");
    EXPECT_EQ(bytesOf(secondName), "[A]\r\nx=2\r\n") << "parted from its other name";
    EXPECT_EQ(dir.names(), (Names{"Tintora.ini", "also.ini"}));
}

TEST(Win32Files, replacingKeepsTheFilesAttributes)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("Tintora.ini");
    std::string error;
    ASSERT_TRUE(replaceFile(path, "old", error)) << error;
    ASSERT_TRUE(SetFileAttributesW(wideFromUtf8(path).c_str(), FILE_ATTRIBUTE_HIDDEN));

    ASSERT_TRUE(replaceFile(path, "new", error)) << error;
    EXPECT_EQ(bytesOf(path), "new");
    EXPECT_TRUE(attributesOf(path) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(dir.names(), Names{"Tintora.ini"});
}

TEST(Win32Files, whatCannotBeWrittenIsLeftAsItWas)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    std::string error;

    // A read-only file.
    const std::string readOnly = dir.file("Tintora.ini");
    ASSERT_TRUE(replaceFile(readOnly, "[A]\r\nx=1\r\n", error)) << error;
    ASSERT_TRUE(SetFileAttributesW(wideFromUtf8(readOnly).c_str(), FILE_ATTRIBUTE_READONLY));
    error.clear();
    EXPECT_FALSE(replaceFile(readOnly, "[A]\r\nx=2\r\n", error));
    EXPECT_NE(error.find("Tintora.ini"), std::string::npos) << error;
    EXPECT_EQ(bytesOf(readOnly), "[A]\r\nx=1\r\n");

    // A folder where the file should be: neither read nor written.
    const std::string folder = dir.file("settings");
    ASSERT_TRUE(CreateDirectoryW(wideFromUtf8(folder).c_str(), nullptr));
    error.clear();
    EXPECT_FALSE(readFile(folder, error).has_value());
    EXPECT_NE(error, "");
    error.clear();
    EXPECT_FALSE(replaceFile(folder, "x", error));
    EXPECT_NE(error, "");

    // A folder that does not exist.
    error.clear();
    EXPECT_FALSE(replaceFile(dir.file("missing\\Tintora.ini"), "x", error));
    EXPECT_NE(error, "");

    // No temporary file stays behind.
    EXPECT_EQ(dir.names(), (Names{"Tintora.ini", "settings"}));
}

TEST(Win32Files, onlyFilesOfSettingsSizeAreRead)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    const std::string path = dir.file("Tintora.ini");
    std::string error;
    ASSERT_TRUE(replaceFile(path, std::string(kMaxSettingsFileBytes, 'x'), error)) << error;
    EXPECT_EQ(readFile(path, error).value_or("<unreadable>").size(), kMaxSettingsFileBytes);

    ASSERT_TRUE(replaceFile(path, std::string(kMaxSettingsFileBytes + 1, 'x'), error)) << error;
    error.clear();
    EXPECT_FALSE(readFile(path, error).has_value());
    EXPECT_NE(error.find("larger than 4 MB"), std::string::npos) << error;

    // A device is no settings file.
    error.clear();
    EXPECT_FALSE(readFile("NUL", error).has_value());
    EXPECT_NE(error, "");
}

// The pointer's state files: read only as plain files within the bound, and
// never written or read through a link where the system makes one.
TEST(Win32Files, ownFilesAreReadWithinTheBoundAndNeverThroughALink)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    constexpr std::size_t bound = 4096;
    const std::string path = dir.file("pointer-1.state");
    std::string error;
    ASSERT_TRUE(replaceOwnFile(path, std::string(bound, 'x'), error)) << error;
    EXPECT_EQ(readOwnFile(path, bound, error).value_or("<unreadable>").size(), bound) << error;
    ASSERT_TRUE(replaceOwnFile(path, std::string(bound + 1, 'x'), error)) << error;
    EXPECT_FALSE(readOwnFile(path, bound, error).has_value());
    EXPECT_NE(error.find("larger than 4096 bytes"), std::string::npos) << error;
    for (const std::string& other : {dir.path(), dir.file("missing"), std::string("NUL")}) {
        error.clear();
        EXPECT_FALSE(readOwnFile(other, bound, error).has_value()) << other;
        EXPECT_NE(error, "") << other;
    }
    error.clear();
    EXPECT_FALSE(replaceOwnFile(dir.path(), "x", error));
    EXPECT_NE(error, "");

    const std::string victim = dir.file("victim");
    ASSERT_TRUE(replaceFile(victim, "the user's own", error)) << error;
    const std::string link = dir.file("pointer-2.state");
    // Where the system lets this user make links (Wine's call says it did,
    // and makes none).
    if (CreateSymbolicLinkW(wideFromUtf8(link).c_str(), wideFromUtf8(victim).c_str(), 0x2) && pathExists(link)) {
        EXPECT_FALSE(readOwnFile(link, bound, error).has_value());
        EXPECT_FALSE(replaceOwnFile(link, "x", error));
        removeOwnFile(link);
        EXPECT_TRUE(pathExists(link));
        EXPECT_EQ(bytesOf(victim), "the user's own");
    }
    removeOwnFile(path);
    EXPECT_FALSE(pathExists(path));
}

TEST(Win32Files, foldersAndWhereSettingsGo)
{
    ScratchFolder dir;
    ASSERT_TRUE(dir.ok());
    EXPECT_TRUE(isWritableDirectory(dir.path()));
    EXPECT_TRUE(isWritableDirectory(dir.path() + "\\"));
    EXPECT_FALSE(isWritableDirectory(dir.file("missing")));
    EXPECT_EQ(dir.names(), Names{}) << "the writability probe stays";

    const std::string nested = dir.file("a\\б в\\#c\\Tintora.ini");
    EXPECT_FALSE(pathExists(dir.file("a")));
    ASSERT_TRUE(makeParentDirectories(nested));
    EXPECT_TRUE(pathExists(dir.file("a\\б в\\#c")));
    EXPECT_FALSE(pathExists(nested));
    std::string error;
    EXPECT_TRUE(replaceFile(nested, "x", error)) << error;
    EXPECT_TRUE(pathExists(nested));

    const std::string config = userConfigDirectory();
    EXPECT_FALSE(config.empty());
    EXPECT_TRUE(pathExists(config)) << config;
}
