#include "tool/Tool_files.h"

#include "events/Lib_cpp_os.h"
#include "events/Whole_file.h"

bool tool_read_file(const std::string& path, std::string* bytes)
{
    bytes->clear();
    if (path == "-")
        return read_whole_stream(stdin, bytes);
    return read_whole_file(path.c_str(), bytes);
}

bool tool_write_output(const std::string* path, const std::string& text, Ttool_output* io)
{
    if (!path) {
        io->out += text;
        return true;
    }
    std::string reason;
    if (write_file_replacing(path->c_str(), text.data(), text.size(), &reason))
        return true;
    io->err += "ERROR : unable to write \"" + *path + "\": " + reason + "\n";
    return false;
}
