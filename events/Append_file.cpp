#include "events/Append_file.h"

bool Tappend_file::open(const char* path, std::string* error)
{
    bool exists = false;
    if (create(path, &exists, error)) return true;
    return exists && open_existing(path, error);
}
