#pragma once
#include <windows.h>

#include <string>

// The system's own wording of a Win32 error code, without the closing full
// stop and line break, as the reason a failure reports.
std::string system_error_text(DWORD code);
