#include "events/Lib_cpp_os.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "events/My_string.h"

void current_directory(Tmy_string* out)
{
    if (!out) return;
    char path[512];
    if (getcwd(path, sizeof path)) {
        out->assign(path);
    } else {
        out->clear();
    }
}

void sleep_ms(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

namespace {

constexpr int LINK_HOPS_MAX = 40;
constexpr int TEMPORARY_TRIES = 100;
// Of the file's own name in the temporary name: room is left for the rest
// however long the name.
constexpr size_t TEMPORARY_NAME_KEPT = 64;

// "dir/" of "dir/name", "" of "name".
std::string folder_of(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a chain of symbolic links ends at (the path itself when it is no
// link), which may not exist yet.
bool follow_links(const char* path, std::string* target)
{
    target->assign(path);
    for (int hops = 0;; ++hops) {
        char link[PATH_MAX];
        const ssize_t length = ::readlink(target->c_str(), link, sizeof link);
        if (length < 0) return errno == EINVAL || errno == ENOENT;
        errno = ELOOP;
        if (hops == LINK_HOPS_MAX || static_cast<size_t>(length) == sizeof link) return false;
        const std::string next(link, static_cast<size_t>(length));
        *target = next[0] == '/' ? next : folder_of(*target) + next;
    }
}

// What the user could write in place. A file that grants writing to nobody
// counts as read-only also for a privileged user, whom the kernel would let
// write it anyway, as a read-only file stays read-only on every platform.
bool writable_in_place(const std::string& target, const struct stat& file)
{
    errno = S_ISDIR(file.st_mode) ? EISDIR : EACCES;
    if (!S_ISREG(file.st_mode)) return false;
    if ((file.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0;
}

bool write_all(int fd, const char* bytes, size_t length)
{
    while (length > 0) {
        const ssize_t written = ::write(fd, bytes, length);
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        bytes += written;
        length -= static_cast<size_t>(written);
    }
    return true;
}

// Written, flushed to the disk and closed; false when any step failed.
bool write_and_close(int fd, const char* bytes, size_t length)
{
    const bool written = write_all(fd, bytes, length) && ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

// A new file of a name nobody else uses, beside target; never through a
// link planted there (O_EXCL). Mode 0666 lets the umask shape a new file.
int create_temporary(const std::string& target, std::string* name)
{
    static std::atomic<unsigned> counter{0};
    const std::string folder = folder_of(target);
    const std::string own_name = target.substr(folder.size(), TEMPORARY_NAME_KEPT);
    const std::string stem = folder + own_name + ".tmp" + std::to_string(::getpid()) + "-";
    for (int tries = 0; tries < TEMPORARY_TRIES; ++tries) {
        const auto clock = std::chrono::steady_clock::now().time_since_epoch().count();
        *name = stem + std::to_string(counter++) + "-" + std::to_string(clock % 1000000);
        const int fd = ::open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The new file takes the old one's permissions and, where the user may give
// it away, its owner and group; otherwise it stays the user's own.
bool take_attributes(int fd, const struct stat& old)
{
    const bool same_owner = old.st_uid == ::geteuid() && old.st_gid == ::getegid();
    if (!same_owner && ::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // Neither is the user's to give: nothing lost but the old owner.
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Makes the rename itself survive a power cut. The file is already in
// place, so a folder that cannot be synchronised does not undo the save.
void sync_folder(const std::string& target)
{
    const std::string folder = folder_of(target);
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The only way to save into a folder that admits no new file. The new
// bytes go over the old from the start and the rest is cut off only once
// all are written, so that a failed write (a full disk) leaves the old
// content's end rather than an empty file; an interruption can still leave
// a mixture.
bool rewrite_in_place(const std::string& target, const char* bytes, size_t length)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = write_all(fd, bytes, length) && ::ftruncate(fd, static_cast<off_t>(length)) == 0 &&
                         ::fsync(fd) == 0;
    return ::close(fd) == 0 && written;
}

bool replace_through_temporary(const std::string& target, const struct stat* old, const char* bytes,
                               size_t length)
{
    std::string temporary;
    const int fd = create_temporary(target, &temporary);
    if (fd < 0) {
        const bool folder_closed = errno == EACCES || errno == EPERM;
        return old && folder_closed && rewrite_in_place(target, bytes, length);
    }
    bool ok = (!old || take_attributes(fd, *old));
    ok = write_and_close(fd, bytes, length) && ok;
    ok = ok && ::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) {
        const int reason = errno;
        ::unlink(temporary.c_str());
        errno = reason;
        return false;
    }
    sync_folder(target);
    return true;
}

bool replace_file(const char* path, const char* bytes, size_t length)
{
    errno = EINVAL;
    if (!path || !*path || (!bytes && length > 0)) return false;
    std::string target;
    if (!follow_links(path, &target)) return false;
    struct stat old;
    if (::lstat(target.c_str(), &old) != 0) {
        if (errno != ENOENT) return false;
        return replace_through_temporary(target, nullptr, bytes, length);
    }
    if (!writable_in_place(target, old)) return false;
    return replace_through_temporary(target, &old, bytes, length);
}

}  // namespace

bool write_file_replacing(const char* path, const char* bytes, size_t length, std::string* error)
{
    const bool written = replace_file(path, bytes, length);
    if (!written && error) *error = std::strerror(errno);
    return written;
}

std::string user_data_directory()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    // A relative value is invalid and ignored.
    if (data && data[0] == '/') return data;
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.local/share";
    return {};
}

const char* user_data_variable() { return "HOME"; }

bool make_directories(const std::string& path, std::string* error)
{
    auto failed = [error](int code) {
        if (error) *error = std::strerror(code);
        return false;
    };
    for (size_t end = path.find('/', 1); end != std::string::npos; end = path.find('/', end + 1))
        if (::mkdir(path.substr(0, end).c_str(), 0777) != 0 && errno != EEXIST) return failed(errno);
    if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return failed(errno);
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return failed(errno);
    return S_ISDIR(status.st_mode) || failed(ENOTDIR);
}

std::string host_name()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0) return std::string();
    return name;
}
