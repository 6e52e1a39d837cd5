#include "events/Lib_cpp_os.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
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

std::string user_data_directory()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    // A relative value is invalid and ignored.
    if (data && data[0] == '/') return data;
    const char* home = std::getenv("HOME");
    if (home && *home) return std::string(home) + "/.local/share";
    return {};
}

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
