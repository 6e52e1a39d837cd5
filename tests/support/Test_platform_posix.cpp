#include "support/Test_platform.h"

#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>

const char* device_path() { return "/dev/zero"; }

const char* data_directory_variable() { return "XDG_DATA_HOME"; }

std::string missing_folder_reason() { return "No such file or directory"; }

std::string write_refused_reason() { return "Permission denied"; }

bool mount_small_disk(const std::string& folder, bool read_only)
{
    std::filesystem::create_directory(folder);
    return mount("lumo2-test", folder.c_str(), "tmpfs", read_only ? MS_RDONLY : 0, "size=8k") == 0;
}

void unmount_small_disk(const std::string& folder) { umount2(folder.c_str(), MNT_DETACH); }

bool run_in_dying_child(const std::function<void()>& body)
{
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        body();
        std::_Exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return true;
}

bool stop_request_possible(std::string*) { return true; }

void request_stop() { raise(SIGTERM); }

bool stop_handling_is_default()
{
    struct sigaction current = {};
    sigaction(SIGTERM, nullptr, &current);
    return current.sa_handler == SIG_DFL;
}

bool text_widths_known(std::string*) { return true; }
