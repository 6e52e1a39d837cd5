#pragma once
#include <functional>
#include <string>

// What tests of files need to know of the system they run on.

// A device, which no file of rows may be.
const char* device_path();
// The variable that names the user's folder for programs' data.
const char* data_directory_variable();
// The reason a file in a folder that does not exist cannot be opened.
std::string missing_folder_reason();
// The system's reason for refusing to write a read-only file.
std::string write_refused_reason();

// A small file system of its own at folder (a few kilobytes, full after a
// few rows), read-only if asked; false where the test may not make one.
bool mount_small_disk(const std::string& folder, bool read_only);
void unmount_small_disk(const std::string& folder);

// Whether text measured in a test is as wide as on the user's screen; the
// reason where not.
bool text_widths_known(std::string* why_not);

// Whether a test can ask the running program to end as the system does; the
// reason where not.
bool stop_request_possible(std::string* why_not);
// Asks it (SIGTERM).
void request_stop();
// Whether the system's own handling of that request is in place again.
bool stop_handling_is_default();

// Runs body in a process of its own that ends without any destructor or
// close; false where the system cannot copy the running process.
bool run_in_dying_child(const std::function<void()>& body);
