#include "app/wow64.h"

#include <windows.h>

#include <cstring>
#include <string>

#include "toolkit/process.h"
#include "toolkit/wide.h"

namespace {

bool read_at(HANDLE file, LONG offset, void* bytes, DWORD size)
{
    DWORD got = 0;
    return SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           ReadFile(file, bytes, size, &got, nullptr) && got == size;
}

// A program for AMD64 Windows: the MZ header leads to a PE header for that machine with the PE32+
// optional header, marked as a program and not as a DLL. A 32-bit build under the 64-bit name
// would hand over to itself again and again.
bool is_amd64_program(HANDLE file)
{
    IMAGE_DOS_HEADER dos;
    if (!read_at(file, 0, &dos, sizeof dos) || dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew <= 0)
        return false;
    // The signature, the file header and the optional header's first field, as the file lays them out.
    unsigned char bytes[sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER) + sizeof(WORD)];
    if (!read_at(file, dos.e_lfanew, bytes, sizeof bytes))
        return false;
    DWORD signature;
    IMAGE_FILE_HEADER header;
    WORD magic;
    std::memcpy(&signature, bytes, sizeof signature);
    std::memcpy(&header, bytes + sizeof signature, sizeof header);
    std::memcpy(&magic, bytes + sizeof signature + sizeof header, sizeof magic);
    return signature == IMAGE_NT_SIGNATURE && header.Machine == IMAGE_FILE_MACHINE_AMD64 &&
           magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC && (header.Characteristics & IMAGE_FILE_EXECUTABLE_IMAGE) &&
           !(header.Characteristics & IMAGE_FILE_DLL);
}

}  // namespace

bool running_under_wow64()
{
    using is_wow64_function = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    const auto is_wow64 = reinterpret_cast<is_wow64_function>(
        reinterpret_cast<void*>(kernel ? GetProcAddress(kernel, "IsWow64Process") : nullptr));
    BOOL wow64 = FALSE;
    return is_wow64 && is_wow64(GetCurrentProcess(), &wow64) && wow64;
}

bool start_sibling_program(const char* file_name)
{
    const std::string folder = program_folder();
    if (folder.empty() || !file_name || !*file_name)
        return false;
    const std::wstring program = wide_from_utf8(folder + file_name);

    // Held open, shared for reading only, until the process has started: the file examined is the
    // file started, and nobody replaces it in between.
    HANDLE file = CreateFileW(program.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool started = false;
    if (is_amd64_program(file)) {
        std::wstring command_line = L"\"" + program + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        // No folder of its own: the 64-bit build goes on in the current folder this program was
        // started in, and so finds what a relative path names where the 32-bit one would.
        started = CreateProcessW(program.c_str(), &command_line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process) != FALSE;
        if (started) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    CloseHandle(file);
    return started;
}
