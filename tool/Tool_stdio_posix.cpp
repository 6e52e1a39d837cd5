#include "tool/Tool_stdio.h"

// POSIX streams never translate line ends.
void tool_binary_stdio() {}
