#include "tests/support/folder_fingerprint.h"

#include <windows.h>

#include <cinttypes>
#include <cstdio>

namespace test {

namespace {

std::wstring wide_of(const std::string& text, UINT code_page)
{
    int length = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    if (length > 0)
        MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string utf8_of(const std::wstring& wide)
{
    int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                     nullptr, nullptr);
    std::string text(static_cast<size_t>(length), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                            nullptr, nullptr);
    return text;
}

uint64_t time_value(const FILETIME& time)
{
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// FNV-1a over the whole content; false when the file cannot be read to its end.
bool hash_content(const std::wstring& path, uint64_t* hash)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    uint64_t value = 0xCBF29CE484222325ull;
    unsigned char buffer[65536];
    DWORD got = 0;
    bool complete = false;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
        if (got == 0) {
            complete = true;
            break;
        }
        for (DWORD i = 0; i < got; ++i) {
            value ^= buffer[i];
            value *= 0x100000001B3ull;
        }
    }
    CloseHandle(file);
    *hash = value;
    return complete;
}

// folder: the "\\?\" path of a folder, ending in "\"; relative: its key, "" or ending in "\".
void walk(const std::wstring& folder, const std::wstring& relative, folder_fingerprint* print)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW((folder + L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                     nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        (*print)[relative.empty() ? "." : utf8_of(relative)].readable = false;
        return;
    }
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        fingerprint_entry entry;
        entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry.link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        entry.last_write = time_value(found.ftLastWriteTime);
        std::wstring key = relative + name;
        if (entry.folder && !entry.link) {
            (*print)[utf8_of(key + L"\\")] = entry;
            walk(folder + name + L"\\", key + L"\\", print);
            continue;
        }
        if (!entry.folder) {
            entry.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            entry.readable = entry.link || hash_content(folder + name, &entry.content_hash);
        }
        (*print)[utf8_of(key)] = entry;
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::string describe(const fingerprint_entry& entry)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s%s%s size=%" PRIu64 " hash=%016" PRIx64 " written=%" PRIu64,
                  entry.folder ? "folder" : "file", entry.link ? " link" : "",
                  entry.readable ? "" : " unreadable", entry.size, entry.content_hash, entry.last_write);
    return text;
}

bool same(const fingerprint_entry& a, const fingerprint_entry& b)
{
    return a.folder == b.folder && a.link == b.link && a.readable == b.readable && a.size == b.size &&
           a.content_hash == b.content_hash && a.last_write == b.last_write;
}

}  // namespace

folder_fingerprint take_fingerprint(const std::string& folder)
{
    std::wstring path = wide_of(folder, CP_ACP);
    if (path.empty() || path.back() != L'\\')
        path += L'\\';
    if (path.rfind(L"\\\\?\\", 0) != 0)
        path = L"\\\\?\\" + path;
    folder_fingerprint print;
    fingerprint_entry& own = print["."];
    own.folder = true;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        own.last_write = time_value(data.ftLastWriteTime);
    else
        own.readable = false;
    walk(path, L"", &print);
    return print;
}

std::vector<std::string> fingerprint_differences(const folder_fingerprint& before,
                                                 const folder_fingerprint& after)
{
    std::vector<std::string> differences;
    for (const auto& [path, entry] : before) {
        auto now = after.find(path);
        if (now == after.end())
            differences.push_back("removed " + path);
        else if (!same(entry, now->second))
            differences.push_back("changed " + path + ": " + describe(entry) + " -> " + describe(now->second));
    }
    for (const auto& [path, entry] : after)
        if (!before.count(path))
            differences.push_back("added " + path + ": " + describe(entry));
    return differences;
}

}  // namespace test
