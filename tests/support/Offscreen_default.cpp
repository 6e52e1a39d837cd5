#include <QByteArray>
#include <QtGlobal>

// Test discovery runs GUI test programs at build time, outside CTest and
// often without a display: default them to the offscreen platform there too.
// CTest sets the same value for the test runs themselves; scripts/windows.sh
// for the runs under Wine.
namespace {
const bool offscreen_default = qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
}
