#include "app/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTabWidget>
#include <QTimer>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <initializer_list>
#include <memory>
#include <unistd.h>

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "app/Qt_ui_port.h"
#include "app/Wlumo_selector.h"
#include "app/Wlumo_settings.h"
#include "calibration/Wlumo_cal.h"
#include "events/Lib_cpp_os.h"
#include "events/Wsignal.h"
#include "sim/Simulated_instrument.h"
#include "view/Chart_pane.h"
#include "view/Wlumo_view.h"

#ifndef LUMO2_VERSION
#define LUMO2_VERSION "unknown"
#endif

namespace {

const char* const SETTINGS_FILE = "lumo2.cfg";

bool option_value(const char* argument, const char* name, std::string* value)
{
    const size_t length = std::strlen(name);
    if (std::strncmp(argument, name, length) != 0 || argument[length] != '=') return false;
    *value = argument + length + 1;
    return true;
}

// A whole number of milliseconds from 1 to a day.
bool parse_period(const std::string& text, unsigned* out)
{
    char* end = nullptr;
    const unsigned long value = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < 1 || value > 86400000) return false;
    *out = unsigned(value);
    return true;
}

bool known_window(const std::string& name)
{
    for (const char* window : {"main", "log", "view", "chart", "cal", "settings"})
        if (name == window) return true;
    return false;
}

// SIGINT and SIGTERM end the program as "exit" does: the handler only writes
// a byte to a pipe, and the loop turns it into the command.
class Tsignal_exit {
public:
    Tsignal_exit()
    {
        if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
        write_fd = fds[1];
        notifier = std::make_unique<QSocketNotifier>(fds[0], QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, [this] {
            char bytes[16];
            while (read(fds[0], bytes, sizeof bytes) > 0) {
            }
            dispatch_command(CMD_EXIT);
        });
        struct sigaction action = {};
        action.sa_handler = on_signal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGINT, &action, &old_int);
        sigaction(SIGTERM, &action, &old_term);
        installed = true;
    }

    ~Tsignal_exit()
    {
        if (installed) {
            sigaction(SIGINT, &old_int, nullptr);
            sigaction(SIGTERM, &old_term, nullptr);
        }
        write_fd = -1;
        notifier.reset();
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }

    Tsignal_exit(const Tsignal_exit&) = delete;
    Tsignal_exit& operator=(const Tsignal_exit&) = delete;

private:
    static void on_signal(int)
    {
        const int saved = errno;
        if (write_fd >= 0) {
            const char byte = 1;
            [[maybe_unused]] ssize_t written = write(write_fd, &byte, 1);
        }
        errno = saved;
    }

    static inline volatile sig_atomic_t write_fd = -1;
    int fds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction old_int = {};
    struct sigaction old_term = {};
    bool installed = false;
};

// The windows, made in their fixed order; the signal window's start message
// is handled only once the loop runs, after all of them exist.
struct Twindows {
    explicit Twindows(const Tapp_options& options)
    {
        auto made = [&options](const char* stage) {
            if (options.observer) options.observer(stage);
        };
        main = std::make_unique<TFframe>();
        made("TFframe");
        signal = std::make_unique<TSignalForm>();
        made("TSignalForm");
        cal = std::make_unique<TFlumo_cal>();
        made("TFlumo_cal");
        settings = std::make_unique<TFlumo_settings>();
        made("TFlumo_settings");
        view = std::make_unique<TFlumo_view>();
        made("TFlumo_view");
        port = std::make_unique<Tqt_ui_port>(main.get(), cal.get(), view.get(), settings.get());
        set_ui_port(port.get());
    }

    ~Twindows()
    {
        set_ui_port(nullptr);
        // The settings dialog is parentless; the rest go in reverse order.
        view.reset();
        settings.reset();
        cal.reset();
        signal.reset();
        main.reset();
    }

    std::unique_ptr<TFframe> main;
    std::unique_ptr<TSignalForm> signal;
    std::unique_ptr<TFlumo_cal> cal;
    std::unique_ptr<TFlumo_settings> settings;
    std::unique_ptr<TFlumo_view> view;
    std::unique_ptr<Tqt_ui_port> port;
};

// A window asked for on the command line, shown once the program runs.
void show_requested(const Twindows& windows, const std::string& name)
{
    if (name == "view" || name == "chart") dispatch_command(CMD_MODE_VIEW);
    if (name == "chart") windows.view->PageControl1->setCurrentWidget(windows.view->Chart_pane1);
    else if (name == "cal") dispatch_command(CMD_MODE_CALIBRATION);
    else if (name == "log") windows.main->viewlog1->trigger();
    else if (name == "settings") display_set(DSP_PANEL, "SETTINGS");
}

void press_start_periodically(const Twindows& windows, unsigned period_ms)
{
    auto* presses = new QTimer(windows.view.get());
    QObject::connect(presses, &QTimer::timeout, [] {
        if (bridge_state().current_mode == MODE_VIEW) dispatch_command(CMD_START);
    });
    presses->start(int(period_ms));
}

void on_start(const Twindows& windows, const Tapp_options& options, Tsimulated_instrument* simulated)
{
    log_reset();
    dispatch_command(CMD_MODE_MAIN);
    if (simulated) simulated->start(the_app());
    else the_app()->common.start();
    if (options.observer) options.observer("started");
    if (!options.show.empty()) {
        const Twindows* shown = &windows;
        const std::string name = options.show;
        QTimer::singleShot(0, [shown, name] { show_requested(*shown, name); });
    }
    if (options.press_start_every_ms > 0) press_start_periodically(windows, options.press_start_every_ms);
}

void show_exception(const char* what)
{
    if (QApplication::instance()) QMessageBox::critical(nullptr, "Lumo 2", QString::fromUtf8(what));
    else std::fprintf(stderr, "lumo2: %s\n", what);
}

// Runs a start-up or shutdown step; an exception escaping it is shown and
// ends the program normally.
template <typename Tstep>
bool guarded(Tstep step)
{
    try {
        step();
        return true;
    } catch (const std::exception& failure) {
        show_exception(failure.what());
    } catch (...) {
        show_exception("unknown exception");
    }
    return false;
}

void shut_down(Twindows* windows, const Tapp_options& options)
{
    if (options.observer) options.observer("stopped");
    // Nothing is handled any more: a frozen window would only confuse.
    for (QWidget* window : std::initializer_list<QWidget*>{windows->main.get(), windows->cal.get(),
                                                           windows->view.get(), windows->settings.get()})
        window->hide();
    sleep_ms(options.exit_pause_ms);
    the_app()->settings.save();
}

void run_loop(int argc, char** argv, const Tapp_options& options)
{
    QApplication application(argc, argv);
    // The toolkit sets the numeric locale from the environment; numbers are
    // always written and read with a point.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setQuitOnLastWindowClosed(false);

    std::unique_ptr<Tsimulated_instrument> simulated;
    std::string simulator_error;
    if (options.simulate && !(simulated = Tsimulated_instrument::open(&simulator_error)))
        std::fprintf(stderr, "lumo2: no simulated instrument: %s\n", simulator_error.c_str());
    std::unique_ptr<Twindows> windows;
    const bool created = guarded([&] {
        windows = std::make_unique<Twindows>(options);
        Twindows* made = windows.get();
        Tsimulated_instrument* instrument = simulated.get();
        windows->signal->setStartHandler([made, &options, instrument] { on_start(*made, options, instrument); });
    });
    if (!created) return;
    Tsignal_exit signal_exit;
    application.exec();
    guarded([&] { shut_down(windows.get(), options); });
}

}  // namespace

bool parse_options(int argc, char** argv, Tapp_options* options, std::string* error)
{
    for (int i = 1; i < argc; i++) {
        const char* argument = argv[i];
        if (std::strncmp(argument, "--", 2) != 0) continue;
        std::string value;
        if (std::strcmp(argument, "--help") == 0) {
            options->help = true;
        } else if (std::strcmp(argument, "--version") == 0) {
            options->version = true;
        } else if (std::strcmp(argument, "--simulate") == 0) {
            options->simulate = true;
        } else if (option_value(argument, "--show", &value)) {
            if (!known_window(value)) {
                *error = "unknown window for --show: " + value;
                return false;
            }
            options->show = value;
        } else if (option_value(argument, "--press-start-every", &value)) {
            if (!parse_period(value, &options->press_start_every_ms)) {
                *error = "--press-start-every takes milliseconds from 1 to 86400000: " + value;
                return false;
            }
        } else {
            *error = std::string("unknown option: ") + argument;
            return false;
        }
    }
    return true;
}

const char* usage_text()
{
    return "Usage: lumo2 [options]\n"
           "Operates a ZETA QX-1 or QX-2 fluorometer on a serial port: live view and calibration.\n"
           "The settings are kept in lumo2.cfg in the working directory.\n"
           "\n"
           "Options:\n"
           "  --help       show this text and exit\n"
           "  --version    show the version and exit\n"
           "  --simulate   run on a simulated instrument, linked as a free COM port from COM200\n"
           "Toolkit options such as -platform NAME are passed on to Qt.\n";
}

const char* version_text() { return "lumo2 " LUMO2_VERSION "\n"; }

int run_application(int argc, char** argv, const Tapp_options& options)
{
    std::unique_ptr<Tlumo2_app> app;
    const bool loaded = guarded([&] {
        app = std::make_unique<Tlumo2_app>();
        set_the_app(app.get());
        set_log_sink(log_append);
        app->bridge.current_mode = MODE_MAIN;
        app->settings.load(SETTINGS_FILE);
    });
    if (loaded) run_loop(argc, argv, options);
    set_log_sink(nullptr);
    set_the_app(nullptr);
    return 0;
}
