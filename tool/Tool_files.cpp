#include "tool/Tool_files.h"

#include <cstdio>

#include "events/Lib_cpp_os.h"

namespace {

bool read_stream(FILE* file, std::string* bytes)
{
    char block[65536];
    size_t count;
    while ((count = std::fread(block, 1, sizeof block, file)) > 0)
        bytes->append(block, count);
    return std::ferror(file) == 0;
}

}  // namespace

bool tool_read_file(const std::string& path, std::string* bytes)
{
    bytes->clear();
    if (path == "-")
        return read_stream(stdin, bytes);
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    const bool read = read_stream(file, bytes);
    std::fclose(file);
    return read;
}

bool tool_write_output(const std::string* path, const std::string& text, Ttool_output* io)
{
    if (!path) {
        io->out += text;
        return true;
    }
    if (write_file_replacing(path->c_str(), text.data(), text.size()))
        return true;
    io->err += "ERROR : unable to write \"" + *path + "\"\n";
    return false;
}
