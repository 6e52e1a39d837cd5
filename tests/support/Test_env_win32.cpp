#include <stdlib.h>

#include "support/Test_env.h"

// An empty value removes the variable.
void set_test_env(const char* name, const char* value) { _putenv_s(name, value ? value : ""); }
