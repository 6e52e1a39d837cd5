#include <clocale>
#include <cstdio>

#include "tool/Tool.h"
#include "tool/Tool_stdio.h"

int main(int argc, char** argv)
{
    std::setlocale(LC_NUMERIC, "C");
    tool_binary_stdio();
    Ttool_output io;
    const int status = tool_main(Ttool_args(argv + 1, argv + argc), &io);
    std::fwrite(io.out.data(), 1, io.out.size(), stdout);
    std::fwrite(io.err.data(), 1, io.err.size(), stderr);
    return status;
}
