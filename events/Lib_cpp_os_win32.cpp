#include "events/Lib_cpp_os.h"

#include <windows.h>

#include <string>

#include "events/My_string.h"

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

bool write_file_replacing(const char* path, const char* bytes, size_t length)
{
    if (!path || !*path || (!bytes && length > 0)) return false;
    const DWORD attributes = GetFileAttributesA(path);
    const bool target_exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (target_exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) return false;
    std::string temporary;
    HANDLE file = create_temporary(path, &temporary);
    if (file == INVALID_HANDLE_VALUE) return target_exists && write_in_place(path, bytes, length);
    bool ok = write_and_close(file, bytes, length);
    if (ok) ok = move_into_place(temporary.c_str(), path, target_exists);
    if (!ok) DeleteFileA(temporary.c_str());
    return ok;
}
