#include "e2e/E2e_program.h"

#include <QAction>
#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QPalette>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/Application.h"
#include "events/My_string.h"
#include "link/Serial_ports.h"
#include "support/Test_env.h"

Te2e_program::Te2e_program()
{
    set_test_env("LUMO2_PORT_DIR", ports.path.c_str());
    // Each run keeps its journals to itself unless a test chooses a folder.
    set_test_env("LUMO2_JOURNAL_DIR", work.file("journal").c_str());
    sim.set_delay_ms(0);
    sim.set_noise(0, 1);
    sim.set_observer([this](unsigned char, const std::string& wire) {
        std::lock_guard<std::mutex> guard(answers_lock);
        written.push_back(wire);
    });
    start_on_port(sim, COM, default_sim_port(), nullptr);
}

Te2e_program::~Te2e_program()
{
    stop_on_port(COM, sim, default_sim_port());
    set_test_env("LUMO2_PORT_DIR", nullptr);
}

void Te2e_program::write_autoconnect_settings()
{
    write_settings("TYPE=2\rlast_connect_device_id " + std::to_string(COM) + "\rautonnect 1\rttimezone 0\r");
}

bool Te2e_program::restart_simulator()
{
    stop_on_port(COM, sim, default_sim_port());
    return start_on_port(sim, COM, default_sim_port(), nullptr) == COM;
}

std::vector<std::string> Te2e_program::answers() const
{
    std::lock_guard<std::mutex> guard(answers_lock);
    return written;
}

int Te2e_program::run(const std::function<void()>& scenario)
{
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(work.path);
    Tapp_options options;
    options.exit_pause_ms = 0;
    options.observer = [&scenario](const char* stage) {
        if (std::strcmp(stage, "started") != 0) return;
        QTimer::singleShot(0, [&scenario] {
            scenario();
            e2e::control<QAction>("Fframe", "exit3")->trigger();
        });
    };
    char name[] = "lumo2";
    char* argv[] = {name, nullptr};
    const int code = run_application(1, argv, options);
    std::filesystem::current_path(previous);
    return code;
}

bool e2e::wait_until(const std::function<bool()>& done, int timeout_ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeout_ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
    return true;
}

void e2e::settle(int ms)
{
    wait_until([] { return false; }, ms);
}

QWidget* e2e::window(const char* object_name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == QLatin1String(object_name)) return widget;
    return nullptr;
}

QStringList e2e::lines(const char* window_name, const char* pane)
{
    const QPlainTextEdit* memo = control<QPlainTextEdit>(window_name, pane);
    return memo ? memo->toPlainText().split('\n') : QStringList();
}

bool e2e::has_line(const char* window_name, const char* pane, const QString& line)
{
    return lines(window_name, pane).contains(line);
}

int e2e::count_lines_starting(const char* window_name, const char* pane, const QString& prefix)
{
    int count = 0;
    for (const QString& line : lines(window_name, pane))
        if (line.startsWith(prefix)) ++count;
    return count;
}

bool e2e::indicators_are(unsigned rgb)
{
    const QColor wanted(int(rgb >> 16) & 0xFF, int(rgb >> 8) & 0xFF, int(rgb) & 0xFF);
    for (const char* name : {"Fframe", "Flumo_cal", "Flumo_view"}) {
        const QWidget* lamp = control<QWidget>(name, "pl_connected");
        if (!lamp || lamp->palette().color(QPalette::Window) != wanted) return false;
    }
    return true;
}

QString e2e::device_path(int com)
{
    Tmy_string path;
    serial_port_path(com, &path);
    return QString::fromLocal8Bit(path.c_str());
}
