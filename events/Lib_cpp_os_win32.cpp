#include "events/Lib_cpp_os.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

#include "events/My_string.h"
#include "events/System_error_win32.h"

namespace {

// Beyond this many names taken by other writers the folder is given up on.
constexpr unsigned TEMPORARY_NAME_TRIES = 100;

bool write_all(HANDLE file, const char* bytes, size_t length)
{
    while (length > 0) {
        const DWORD chunk = length > 0x40000000 ? 0x40000000 : DWORD(length);
        DWORD written = 0;
        if (!WriteFile(file, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        length -= written;
    }
    return true;
}

// Writes, flushes and closes; false if any of it failed.
bool write_and_close(HANDLE file, const char* bytes, size_t length)
{
    bool ok = write_all(file, bytes, length) && SetEndOfFile(file) && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    return ok;
}

// A file of our own beside the target, made exclusively under a name no
// other writer holds. INVALID_HANDLE_VALUE when the folder takes no new file.
HANDLE create_temporary(const char* path, std::string* name)
{
    for (unsigned attempt = 0; attempt < TEMPORARY_NAME_TRIES; attempt++) {
        *name = std::string(path) + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        HANDLE file = CreateFileA(name->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

// ReplaceFileA keeps the target's attributes and access rights; where it
// cannot work (a target that vanished, a file system without it) the move
// replaces the file as a whole all the same.
bool move_into_place(const char* temporary, const char* path, bool target_exists)
{
    if (target_exists && ReplaceFileA(path, temporary, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr))
        return true;
    return MoveFileExA(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// A folder that takes no new file may still hold a writable target: the
// bytes then go into the file itself.
bool write_in_place(const char* path, const char* bytes, size_t length)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    return write_and_close(file, bytes, length);
}

bool is_separator(char c) { return c == '\\' || c == '/'; }

// An absolute path: "C:\..." or a share, "\\server\share\...".
bool is_absolute(const std::string& path)
{
    if (path.size() >= 3 && path[1] == ':' && is_separator(path[2])) return true;
    return path.size() >= 2 && is_separator(path[0]) && is_separator(path[1]);
}

// The part of a path no folder can be made of: "C:\", "C:", "\", or
// "\\server\share\".
size_t root_length(const std::string& path)
{
    if (path.size() >= 2 && path[1] == ':') return path.size() >= 3 && is_separator(path[2]) ? 3 : 2;
    if (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])) {
        size_t separators = 0, at = 2;
        for (; at < path.size() && separators < 2; ++at)
            if (is_separator(path[at])) ++separators;
        return at;
    }
    return !path.empty() && is_separator(path[0]) ? 1 : 0;
}

// The local data folder of the signed-in user as the shell knows it, where
// the environment does not name it.
std::string known_local_data_folder()
{
    PWSTR wide = nullptr;
    std::string folder;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &wide) == S_OK) {
        const int length = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        if (length > 1) {
            folder.resize(static_cast<size_t>(length));
            WideCharToMultiByte(CP_ACP, 0, wide, -1, folder.data(), length, nullptr, nullptr);
            folder.resize(static_cast<size_t>(length - 1));
        }
    }
    CoTaskMemFree(wide);
    return folder;
}

bool is_directory(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder there already, or made now; else the reason.
bool make_directory(const std::string& path, DWORD* reason)
{
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    *reason = GetLastError();
    if (is_directory(path)) return true;
    // A file of that name is in the way.
    if (*reason == ERROR_ALREADY_EXISTS) *reason = ERROR_DIRECTORY;
    return false;
}

} // namespace

void current_directory(Tmy_string* out)
{
    if (!out) return;
    char path[512];
    const DWORD length = GetCurrentDirectoryA(sizeof path, path);
    if (length > 0 && length < sizeof path) {
        out->assign(path);
    } else {
        out->clear();
    }
}

void sleep_ms(unsigned milliseconds) { Sleep(milliseconds); }

// The reason of a failure is left in GetLastError.
static bool replace_file(const char* path, const char* bytes, size_t length)
{
    SetLastError(ERROR_INVALID_PARAMETER);
    if (!path || !*path || (!bytes && length > 0)) return false;
    const DWORD attributes = GetFileAttributesA(path);
    const bool target_exists = attributes != INVALID_FILE_ATTRIBUTES;
    SetLastError(ERROR_ACCESS_DENIED);
    if (target_exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
    std::string temporary;
    HANDLE file = create_temporary(path, &temporary);
    if (file == INVALID_HANDLE_VALUE) return target_exists && write_in_place(path, bytes, length);
    bool ok = write_and_close(file, bytes, length);
    if (ok) ok = move_into_place(temporary.c_str(), path, target_exists);
    if (ok) return true;
    const DWORD reason = GetLastError();
    DeleteFileA(temporary.c_str());
    SetLastError(reason);
    return false;
}

bool write_file_replacing(const char* path, const char* bytes, size_t length, std::string* error)
{
    const bool written = replace_file(path, bytes, length);
    if (!written && error) *error = system_error_text(GetLastError());
    return written;
}

std::string user_data_directory()
{
    char value[MAX_PATH];
    const DWORD length = GetEnvironmentVariableA("LOCALAPPDATA", value, sizeof value);
    // A relative or cut-off value is ignored, as on other systems.
    if (length > 0 && length < sizeof value && is_absolute(value)) return value;
    return known_local_data_folder();
}

const char* user_data_variable() { return "LOCALAPPDATA"; }

bool make_directories(const std::string& path, std::string* error)
{
    DWORD reason = ERROR_PATH_NOT_FOUND;
    bool made = !path.empty();
    // Each parent in turn; a doubled separator names no folder of its own.
    for (size_t end = root_length(path); made && end < path.size(); ++end)
        if (is_separator(path[end]) && !is_separator(path[end - 1])) made = make_directory(path.substr(0, end), &reason);
    made = made && make_directory(path, &reason);
    if (!made && error) *error = system_error_text(reason);
    return made;
}

std::string host_name()
{
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    if (!GetComputerNameA(name, &length)) return std::string();
    return std::string(name, length);
}
