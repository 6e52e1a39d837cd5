#include "tool/Tool_stdio.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

void tool_binary_stdio()
{
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}
