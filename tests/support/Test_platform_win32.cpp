#include "support/Test_platform.h"

const char* device_path() { return "NUL"; }

const char* data_directory_variable() { return "LOCALAPPDATA"; }

std::string missing_folder_reason() { return "The system cannot find the path specified"; }

// Mounting a file system takes an administrator and a disk image.
bool mount_small_disk(const std::string&, bool) { return false; }

void unmount_small_disk(const std::string&) {}

bool run_in_dying_child(const std::function<void()>&) { return false; }
