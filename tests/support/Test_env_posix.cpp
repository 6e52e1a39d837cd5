#include <stdlib.h>

#include "support/Test_env.h"

void set_test_env(const char* name, const char* value)
{
    if (value) setenv(name, value, 1); else unsetenv(name);
}
