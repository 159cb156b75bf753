#include "catalogue/start_menu_fs.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "toolkit/wide.h"

namespace {

// Closes a FindFirstFileW search on every way out.
class find_guard {
public:
    explicit find_guard(HANDLE search) : search_(search) {}
    ~find_guard()
    {
        if (search_ != INVALID_HANDLE_VALUE)
            FindClose(search_);
    }
    find_guard(const find_guard&) = delete;
    find_guard& operator=(const find_guard&) = delete;

private:
    HANDLE search_;
};

bool is_drive(const std::wstring& path)
{
    // "C:" and "C:\" only: "C:name" names a file relative to drive C's current folder.
    return (path.size() == 2 || (path.size() == 3 && (path[2] == L'\\' || path[2] == L'/'))) && path[1] == L':';
}

int64_t probe_drive(std::wstring path)
{
    if (path.size() == 2)
        path += L'\\';
    return GetDriveTypeW(path.c_str()) > DRIVE_NO_ROOT_DIR ? probe_folder : probe_nothing;
}

uint64_t high_and_low(DWORD high, DWORD low)
{
    return (static_cast<uint64_t>(high) << 32) | low;
}

int enumerate_platform(void*, const std::string& folder, std::vector<directory_entry>* entries)
{
    return enumerate_directory(folder, entries);
}

bool identify_folder(const std::string& folder, folder_identity* identity)
{
    const std::wstring path = wide_from_utf8(folder);
    if (path.empty() || path.size() > max_path_length)
        return false;
    // Backup semantics open a folder; a junction or link is followed to the folder it leads to.
    HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    BY_HANDLE_FILE_INFORMATION information;
    BOOL known = GetFileInformationByHandle(file, &information);
    CloseHandle(file);
    if (!known)
        return false;
    identity->volume = information.dwVolumeSerialNumber;
    identity->index = (static_cast<uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return true;
}

bool identify_platform(void*, const std::string& folder, folder_identity* identity)
{
    return identify_folder(folder, identity);
}

}  // namespace

std::string start_menu_path(int csidl)
{
    // The user's folder may have been moved anywhere ("Start Menu" under the Explorer's "User Shell
    // Folders"), also where the ANSI code page cannot write its path: only the wide answer holds it.
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list)
        return "";
    wchar_t buffer[MAX_PATH] = {};  // what SHGetPathFromIDListW may write
    BOOL found = SHGetPathFromIDListW(list, buffer);
    CoTaskMemFree(list);
    // An unresolved folder must not turn into "\", the root of the current drive.
    if (!found || !buffer[0])
        return "";
    std::string path = utf8_from_wide(buffer);
    if (path.back() != '\\')
        path += '\\';
    return path;
}

programs_roots current_programs_roots()
{
    return {start_menu_path(user_start_menu), start_menu_path(common_start_menu)};
}

int enumerate_directory(const std::string& folder, std::vector<directory_entry>* entries)
{
    entries->clear();
    std::wstring search = wide_from_utf8(folder);
    if (!search.empty() && search.back() != L'\\')
        search += L'\\';
    // A longer folder would have to be cut short, and then name another folder.
    if (search.size() > max_path_length + 1)
        return -1;
    search += L"*.*";

    WIN32_FIND_DATAW found;
    HANDLE search_handle = FindFirstFileW(search.c_str(), &found);
    if (search_handle == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : -1;
    find_guard guard(search_handle);
    do {
        entries->push_back({utf8_from_wide(found.cFileName), (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                            (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0,
                            high_and_low(found.nFileSizeHigh, found.nFileSizeLow),
                            high_and_low(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime)});
    } while (FindNextFileW(search_handle, &found));
    // A listing that broke off half-way is no listing of the folder.
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        entries->clear();
        return -1;
    }
    return 0;
}

int64_t probe_path(const std::string& path)
{
    std::wstring trimmed = wide_from_utf8(path);
    while (!trimmed.empty() && trimmed.back() == L'\\')
        trimmed.pop_back();
    // A wildcard would make the search report some other file; no file name holds one.
    if (trimmed.empty() || trimmed.size() > max_path_length || trimmed.find_first_of(L"*?") != std::wstring::npos)
        return probe_nothing;
    if (is_drive(trimmed))
        return probe_drive(trimmed);

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(trimmed.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return probe_folder;
        return static_cast<int64_t>(high_and_low(found.nFileSizeHigh, found.nFileSizeLow));
    }
    // The root of a network share, "\\server\share", cannot be searched for; ask for it directly.
    if (trimmed.size() > 2 && trimmed[0] == L'\\' && trimmed[1] == L'\\') {
        DWORD attributes = GetFileAttributesW(trimmed.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return probe_folder;
    }
    return probe_nothing;
}

const file_system_ops& platform_file_system()
{
    static const file_system_ops ops = {enumerate_platform, identify_platform, nullptr};
    return ops;
}
