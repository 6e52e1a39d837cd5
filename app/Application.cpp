#include "app/Application.h"

#include <QApplication>
#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

#include <clocale>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <initializer_list>
#include <memory>

#include "app/Crash_resume.h"
#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "app/Qt_ui_port.h"
#include "app/Wlumo_selector.h"
#include "app/Wlumo_settings.h"
#include "calibration/Wlumo_cal.h"
#include "events/Lib_cpp_os.h"
#include "events/Stop_signal.h"
#include "events/Wsignal.h"
#include "publish/Journal_publisher.h"
#include "sim/Simulated_instrument.h"
#include "view/Chart_pane.h"
#include "view/Tracer_test_pane.h"
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

// "--name=value" or "--name value"; *at moves past a value in its own word.
bool option_argument(int argc, char** argv, int* at, const char* name, std::string* value, std::string* error)
{
    if (option_value(argv[*at], name, value)) return true;
    if (std::strcmp(argv[*at], name) != 0) return false;
    if (*at + 1 >= argc) *error = std::string(name) + " needs a value";
    else *value = argv[++*at];
    return true;
}

bool known_window(const std::string& name)
{
    for (const char* window : {"main", "log", "view", "chart", "tracer", "cal", "settings"})
        if (name == window) return true;
    return false;
}

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
    if (name == "view" || name == "chart" || name == "tracer") dispatch_command(CMD_MODE_VIEW);
    if (name == "chart") windows.view->PageControl1->setCurrentWidget(windows.view->Chart_pane1);
    else if (name == "tracer") windows.view->PageControl1->setCurrentWidget(windows.view->Tracer_test_pane1);
    else if (name == "cal") dispatch_command(CMD_MODE_CALIBRATION);
    else if (name == "log") windows.main->viewlog1->trigger();
    else if (name == "settings") display_set(DSP_PANEL, "SETTINGS");
}

// Journals go into the user's folder from now on; those a crash left open
// are reported once, in the main window's log and on standard error.
void start_journal()
{
    const std::string folder = Tmeasure_journal::default_folder();
    if (folder.empty())
        log_printf("ERROR : no folder for the journal: neither LUMO2_JOURNAL_DIR nor %s is set", user_data_variable());
    for (const std::string& report : the_app()->view_master.journal.start(folder)) {
        log_printf("%s", report.c_str());
        std::fprintf(stderr, "%s\n", report.c_str());
    }
}

void request_periodically(const Twindows& windows, unsigned period_ms)
{
    auto* presses = new QTimer(windows.view.get());
    QObject::connect(presses, &QTimer::timeout, [] {
        if (bridge_state().current_mode != MODE_VIEW) return;
        dispatch_command(CMD_STOP);
        dispatch_command(CMD_START);
    });
    presses->start(int(period_ms));
}

void load_tracer_inputs(const Twindows& windows, const std::string& path)
{
    std::string error;
    if (!the_app()->tracer_test.load_inputs(path.c_str(), &error))
        std::fprintf(stderr, "lumo2: tracer test inputs \"%s\" not loaded: %s\n", path.c_str(), error.c_str());
    windows.view->Tracer_test_pane1->show_inputs();
}

void on_start(const Twindows& windows, const Tapp_options& options, Tsimulated_instrument* simulated,
              std::unique_ptr<Tjournal_publisher>* publishing)
{
    log_reset();
    dispatch_command(CMD_MODE_MAIN);
    start_journal();
    if (!options.publish.url.empty())
        *publishing = Tjournal_publisher::start(options.publish, &the_app()->view_master.table,
                                                &the_app()->view_master.journal);
    if (simulated) simulated->start(the_app());
    else the_app()->common.start();
    resume_after_crash(windows.main.get(), windows.view.get());
    if (options.observer) options.observer("started");
    if (!options.show.empty()) {
        const Twindows* shown = &windows;
        const std::string name = options.show;
        QTimer::singleShot(0, [shown, name] { show_requested(*shown, name); });
    }
    if (!options.constants.empty()) windows.view->load_calibration_file(options.constants.c_str());
    if (options.request_every_ms > 0) request_periodically(windows, options.request_every_ms);
    if (!options.tracer_inputs.empty()) load_tracer_inputs(windows, options.tracer_inputs);
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
    the_app()->view_master.journal.close();
    the_app()->view_master.journal.wait_synced();
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
    QApplication::setWindowIcon(program_icon());
    // Lets the desktop match the windows to the installed menu entry.
    QGuiApplication::setDesktopFileName("org.lumo2.Lumo2");

    std::unique_ptr<Tsimulated_instrument> simulated;
    std::string simulator_error;
    if (options.simulate && !(simulated = Tsimulated_instrument::open(&simulator_error)))
        std::fprintf(stderr, "lumo2: no simulated instrument: %s\n", simulator_error.c_str());
    std::unique_ptr<Twindows> windows;
    std::unique_ptr<Tjournal_publisher> publishing;
    const bool created = guarded([&] {
        windows = std::make_unique<Twindows>(options);
        Twindows* made = windows.get();
        Tsimulated_instrument* instrument = simulated.get();
        windows->signal->setStartHandler(
            [made, &options, instrument, &publishing] { on_start(*made, options, instrument, &publishing); });
    });
    if (!created) return;
    // Ctrl+C and SIGTERM end the program as "exit" does, on the GUI thread.
    Tstop_signal stop_signal([&application] {
        QMetaObject::invokeMethod(&application, [] { dispatch_command(CMD_EXIT); }, Qt::QueuedConnection);
    });
    application.exec();
    guarded([&] {
        publishing.reset();
        shut_down(windows.get(), options);
    });
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
        } else if (option_argument(argc, argv, &i, "--publish", &options->publish.url, error) ||
                   option_argument(argc, argv, &i, "--station", &options->publish.station, error) ||
                   option_argument(argc, argv, &i, "--ca", &options->publish.ca, error)) {
            if (!error->empty()) return false;
        } else if (option_value(argument, "--show", &value)) {
            if (!known_window(value)) {
                *error = "unknown window for --show: " + value;
                return false;
            }
            options->show = value;
        } else if (option_value(argument, "--constants", &options->constants)) {
        } else if (option_value(argument, "--tracer-inputs", &options->tracer_inputs)) {
        } else if (option_value(argument, "--request-every", &value)) {
            if (!parse_period(value, &options->request_every_ms)) {
                *error = "--request-every takes milliseconds from 1 to 86400000: " + value;
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
           "  --publish URL\n"
           "               publish every journalled row to an MQTT broker:\n"
           "               mqtt://[USER[:PASSWORD]@]HOST[:PORT]/PREFIX or mqtts://... (TLS);\n"
           "               the password may come from LUMO2_MQTT_PASSWORD\n"
           "  --station NAME\n"
           "               the station's topic level (default: the host name)\n"
           "  --ca FILE    the certificate authority that signs the broker's certificate\n"
           "               (default: the system's)\n"
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
