#include "events/Append_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

bool failed(std::string* error)
{
    if (error) *error = std::strerror(errno);
    return false;
}

int descriptor(intptr_t handle) { return static_cast<int>(handle); }

std::string folder_of(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    if (!slash) return ".";
    if (slash == path) return "/";
    return std::string(path, static_cast<size_t>(slash - path));
}

bool sync_folder(const std::string& folder, std::string* error)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return failed(error);
    const bool synced = ::fsync(fd) == 0 || failed(error);
    ::close(fd);
    return synced;
}

// The process holding a lock on the file, as Linux lists the locks
// ("1: FLOCK ADVISORY WRITE 4711 08:01:1234 0 EOF"); 0 when unknown.
long lock_holder(int fd)
{
    struct stat status;
    if (::fstat(fd, &status) != 0) return 0;
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        long pid = 0;
        unsigned device_major = 0;
        unsigned device_minor = 0;
        unsigned long inode = 0;
        if (std::sscanf(line.c_str(), "%*s %*s %*s %*s %ld %x:%x:%lu", &pid, &device_major, &device_minor, &inode) ==
                4 &&
            device_major == major(status.st_dev) && device_minor == minor(status.st_dev) && inode == status.st_ino)
            return pid;
    }
    return 0;
}

}  // namespace

bool Tappend_file::open_existing(const char* path, std::string* error)
{
    close();
    if (!path || !*path) {
        errno = ENOENT;
        return failed(error);
    }
    const int fd = ::open(path, O_RDWR | O_APPEND | O_CLOEXEC);
    if (fd < 0) return failed(error);
    // A device or a pipe would be read without end.
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        if (error) *error = "not a regular file";
        return false;
    }
    // A file that grants writing to nobody stays read-only also for a
    // privileged user, whom the system would let write it, as the saves
    // refuse it.
    if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        ::close(fd);
        errno = EACCES;
        return failed(error);
    }
    handle = fd;
    return true;
}

bool Tappend_file::create(const char* path, bool* exists, std::string* error)
{
    close();
    *exists = false;
    if (!path || !*path) {
        errno = ENOENT;
        return failed(error);
    }
    const int fd = ::open(path, O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        *exists = errno == EEXIST;
        return failed(error);
    }
    handle = fd;
    unsynced_folder = folder_of(path);
    return true;
}

bool Tappend_file::read_all(std::string* bytes, std::string* error)
{
    bytes->clear();
    struct stat status;
    if (::fstat(descriptor(handle), &status) != 0) return failed(error);
    bytes->reserve(static_cast<size_t>(status.st_size));
    char block[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(descriptor(handle), block, sizeof block, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return failed(error);
        if (got == 0) return true;
        bytes->append(block, static_cast<size_t>(got));
        offset += got;
    }
}

bool Tappend_file::truncate(uint64_t length, std::string* error)
{
    while (::ftruncate(descriptor(handle), static_cast<off_t>(length)) != 0)
        if (errno != EINTR) return failed(error);
    return true;
}

bool Tappend_file::write_all(const char* bytes, size_t length, std::string* error)
{
    while (length > 0) {
        const ssize_t written = ::write(descriptor(handle), bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return failed(error);
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

bool Tappend_file::sync(std::string* error)
{
    if (::fdatasync(descriptor(handle)) != 0) return failed(error);
    if (unsynced_folder.empty()) return true;
    if (!sync_folder(unsynced_folder, error)) return false;
    unsynced_folder.clear();
    return true;
}

void Tappend_file::close()
{
    if (handle == CLOSED) return;
    ::close(descriptor(handle));
    handle = CLOSED;
    unsynced_folder.clear();
}

bool Tappend_file::lock(std::string* holder)
{
    int result;
    while ((result = ::flock(descriptor(handle), LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (result == 0 || errno != EWOULDBLOCK) return true;
    const long pid = lock_holder(descriptor(handle));
    if (holder) *holder = pid > 0 ? "another program (process " + std::to_string(pid) + ")" : "another program";
    return false;
}

void Tappend_file::lock_waiting()
{
    while (::flock(descriptor(handle), LOCK_EX) != 0 && errno == EINTR) {
    }
}

void Tappend_file::unlock() { ::flock(descriptor(handle), LOCK_UN); }
