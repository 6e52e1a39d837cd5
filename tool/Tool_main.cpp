#include <clocale>
#include <cstdio>

#include "tool/Tool.h"
#include "tool/Tool_stdio.h"

namespace {

void show(Ttool_output* io)
{
    std::fwrite(io->out.data(), 1, io->out.size(), stdout);
    std::fflush(stdout);
    std::fwrite(io->err.data(), 1, io->err.size(), stderr);
    io->out.clear();
    io->err.clear();
}

}  // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_NUMERIC, "C");
    tool_binary_stdio();
    Ttool_output io;
    io.flush = show;
    const int status = tool_main(Ttool_args(argv + 1, argv + argc), &io);
    show(&io);
    return status;
}
