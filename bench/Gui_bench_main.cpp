// The benchmarks that need the toolkit run inside one application object on
// the offscreen platform.
#include <QApplication>

#include "bench/Bench_report.h"

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    int qt_argc = 1;
    QApplication application(qt_argc, argv);
    return run_benchmarks(argc, argv);
}
