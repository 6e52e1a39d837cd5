#pragma once

// Sets an environment variable of the test process; a null value removes it.
void set_test_env(const char* name, const char* value);
