#include "events/Whole_file.h"

bool read_whole_stream(FILE* file, std::string* bytes)
{
    char block[65536];
    size_t count;
    while ((count = std::fread(block, 1, sizeof block, file)) > 0)
        bytes->append(block, count);
    return std::ferror(file) == 0;
}

bool read_whole_file(const char* path, std::string* bytes)
{
    bytes->clear();
    FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file)
        return false;
    const bool read = read_whole_stream(file, bytes);
    std::fclose(file);
    return read;
}
