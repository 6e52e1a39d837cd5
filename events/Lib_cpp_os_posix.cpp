#include "events/Lib_cpp_os.h"

#include <unistd.h>

#include <chrono>
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
