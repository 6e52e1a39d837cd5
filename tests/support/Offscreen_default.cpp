#include <cstdlib>

// Test discovery runs GUI test programs at build time, outside CTest and
// often without a display: default them to the offscreen platform there too.
// CTest sets the same value for the test runs themselves.
namespace {
const int offscreen_default = setenv("QT_QPA_PLATFORM", "offscreen", 0);
}
