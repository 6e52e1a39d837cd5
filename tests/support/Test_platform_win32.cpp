#include "support/Test_platform.h"

#include "events/System_error_win32.h"

const char* device_path() { return "NUL"; }

const char* data_directory_variable() { return "LOCALAPPDATA"; }

std::string missing_folder_reason() { return system_error_text(ERROR_PATH_NOT_FOUND); }

std::string write_refused_reason() { return system_error_text(ERROR_ACCESS_DENIED); }

// Mounting a file system takes an administrator and a disk image.
bool mount_small_disk(const std::string&, bool) { return false; }

void unmount_small_disk(const std::string&) {}

bool run_in_dying_child(const std::function<void()>&) { return false; }

// A console's Ctrl+C event goes to every program attached to that console,
// the test runner's shell included.
bool stop_request_possible(std::string* why_not)
{
    if (why_not) *why_not = "a Ctrl+C event would reach every program on the console";
    return false;
}

void request_stop() {}

bool stop_handling_is_default() { return true; }

// The window tests run under Wine, which draws with stand-ins for Windows'
// own fonts of other widths.
bool text_widths_known(std::string* why_not)
{
    if (why_not) *why_not = "the fonts here are Wine's stand-ins for Windows' own";
    return false;
}
