// lumo2 as it runs for the user, for the start-up and idle benchmarks: the
// same start-up and shutdown, without the pause before exit. It writes on
// standard output, as steady-clock nanoseconds, when its main window is
// exposed ("shown"), when the serial port is open ("connected") and, with
// --exit-when-shown, when it begins to exit ("exiting").
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/Gui.h"
#include "app/Lumo2_app.h"

namespace {

constexpr int CONNECT_POLL_MS = 10;
constexpr int CONNECT_POLLS = 500;

void say(const char* what)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    std::printf("%s %lld\n", what, static_cast<long long>(ns));
    std::fflush(stdout);
}

// Says "shown" at the main window's first exposure, then exits if asked.
class Tshown_watch : public QObject {
public:
    explicit Tshown_watch(bool exit_when_shown) : exit_when_shown(exit_when_shown) {}

    void watch(QWidget* main)
    {
        QWindow* window = main ? main->windowHandle() : nullptr;
        if (window && window->isExposed()) shown();
        else if (window) window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            shown();
        }
        return false;
    }

private:
    void shown()
    {
        say("shown");
        if (!exit_when_shown) return;
        QTimer::singleShot(0, [] {
            say("exiting");
            dispatch_command(CMD_EXIT);
        });
    }

    bool exit_when_shown;
};

// Says "connected" once the serial port is open; gives up after a while.
void watch_connection(int polls_left)
{
    Tserial_platform* port = the_app() ? the_app()->common.serial_port->platform : nullptr;
    if (port && port->device_open()) {
        say("connected");
        return;
    }
    if (polls_left > 0) QTimer::singleShot(CONNECT_POLL_MS, [polls_left] { watch_connection(polls_left - 1); });
}

QWidget* main_window()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "Fframe") return widget;
    return nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    const bool exit_when_shown = argc > 1 && std::strcmp(argv[1], "--exit-when-shown") == 0;
    std::unique_ptr<Tshown_watch> watch;
    Tapp_options options;
    options.exit_pause_ms = 0;
    options.observer = [&](const char* stage) {
        if (std::string(stage) != "started") return;
        watch = std::make_unique<Tshown_watch>(exit_when_shown);
        watch->watch(main_window());
        watch_connection(CONNECT_POLLS);
    };
    char* program_only[] = {argv[0], nullptr};
    const int code = run_application(1, program_only, options);
    watch.reset();
    return code;
}
