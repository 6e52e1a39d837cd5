#include "events/Append_file.h"

#include <windows.h>

#include <string>

#include "events/System_error_win32.h"

namespace {

// Others may read a running journal (a spreadsheet, a copy) and even move
// or delete it; writing goes on all the same.
constexpr DWORD SHARED_WITH_OTHERS = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The largest piece one ReadFile or WriteFile is given.
constexpr DWORD CHUNK_MOST = 1u << 30;

bool failed_with(DWORD code, std::string* error)
{
    if (error) *error = system_error_text(code);
    return false;
}

bool failed(std::string* error) { return failed_with(GetLastError(), error); }

HANDLE file_of(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// A device (NUL, COM1) or a pipe would be read without end, and takes any
// name as new: only a file on a disk is kept.
bool keep_if_file(HANDLE file, intptr_t* handle, std::string* error)
{
    if (GetFileType(file) != FILE_TYPE_DISK) {
        CloseHandle(file);
        if (error) *error = "not a regular file";
        return false;
    }
    *handle = reinterpret_cast<intptr_t>(file);
    return true;
}

// An offset for ReadFile or WriteFile that leaves the handle's own position
// alone, so that reading and writing never move each other's place.
OVERLAPPED at(uint64_t offset)
{
    OVERLAPPED place{};
    place.Offset = static_cast<DWORD>(offset);
    place.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return place;
}

// Both halves all ones: the write goes after the file's end, wherever that
// is by then.
OVERLAPPED at_end() { return at(~uint64_t(0)); }

// Windows locks keep others from reading what is locked: the lock is taken
// on one byte far beyond any file's end, which every writer of these files
// asks for, so that readers are never kept out.
OVERLAPPED lock_place() { return at(~uint64_t(0) - 1); }

bool take_lock(HANDLE file, DWORD flags)
{
    OVERLAPPED place = lock_place();
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | flags, 0, 1, 0, &place) != 0;
}

}  // namespace

bool Tappend_file::open_existing(const char* path, std::string* error)
{
    close();
    if (!path || !*path) return failed_with(ERROR_FILE_NOT_FOUND, error);
    // Windows refuses to write a read-only file; asked first, it is refused
    // to every user alike, as the saves refuse it.
    const DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return failed_with(ERROR_ACCESS_DENIED, error);
    const HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, SHARED_WITH_OTHERS, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return failed(error);
    return keep_if_file(file, &handle, error);
}

bool Tappend_file::create(const char* path, bool* exists, std::string* error)
{
    close();
    *exists = false;
    if (!path || !*path) return failed_with(ERROR_FILE_NOT_FOUND, error);
    const HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, SHARED_WITH_OTHERS, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        *exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        return failed_with(code, error);
    }
    // NTFS records the new name in its log along with the file's data: the
    // folder needs no flush of its own.
    return keep_if_file(file, &handle, error);
}

bool Tappend_file::read_all(std::string* bytes, std::string* error)
{
    bytes->clear();
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_of(handle), &size)) return failed(error);
    bytes->reserve(static_cast<size_t>(size.QuadPart));
    char block[65536];
    for (uint64_t offset = 0;;) {
        OVERLAPPED place = at(offset);
        DWORD got = 0;
        if (!ReadFile(file_of(handle), block, sizeof block, &got, &place)) {
            const DWORD code = GetLastError();
            if (code == ERROR_HANDLE_EOF) return true;
            return failed_with(code, error);
        }
        if (got == 0) return true;
        bytes->append(block, got);
        offset += got;
    }
}

bool Tappend_file::truncate(uint64_t length, std::string* error)
{
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(length);
    if (!SetFilePointerEx(file_of(handle), end, nullptr, FILE_BEGIN)) return failed(error);
    return SetEndOfFile(file_of(handle)) || failed(error);
}

bool Tappend_file::write_all(const char* bytes, size_t length, std::string* error)
{
    while (length > 0) {
        const DWORD chunk = length > CHUNK_MOST ? CHUNK_MOST : static_cast<DWORD>(length);
        OVERLAPPED place = at_end();
        DWORD written = 0;
        if (!WriteFile(file_of(handle), bytes, chunk, &written, &place)) return failed(error);
        if (written == 0) return failed_with(ERROR_WRITE_FAULT, error);
        bytes += written;
        length -= written;
    }
    return true;
}

bool Tappend_file::sync(std::string* error)
{
    return FlushFileBuffers(file_of(handle)) || failed(error);
}

void Tappend_file::close()
{
    if (handle == CLOSED) return;
    CloseHandle(file_of(handle));
    handle = CLOSED;
    unsynced_folder.clear();
}

// Windows does not tell which process holds a lock.
bool Tappend_file::lock(std::string* holder)
{
    if (take_lock(file_of(handle), LOCKFILE_FAIL_IMMEDIATELY) || GetLastError() != ERROR_LOCK_VIOLATION) return true;
    if (holder) *holder = "another program";
    return false;
}

void Tappend_file::lock_waiting() { take_lock(file_of(handle), 0); }

void Tappend_file::unlock()
{
    OVERLAPPED place = lock_place();
    UnlockFileEx(file_of(handle), 0, 1, 0, &place);
}
