// The program as a whole, started in a scratch working directory.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <filesystem>
#include <string>
#include <vector>

#include "app/Application.h"
#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "support/Temp_dir.h"
#include "support/Test_env.h"
#include "support/Test_platform.h"

namespace {

QWidget* top_level(const char* name)
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == name) return widget;
    return nullptr;
}

// How a run is ended once started.
enum Tending { BY_MENU, BY_SIGTERM, BY_CLOSING_MAIN };

// Runs the program in a fresh working directory; at start-up it records
// what it sees and then ends the program.
struct Trun {
    explicit Trun(const char* settings_content = nullptr, Tending how = BY_MENU) : ending(how)
    {
        if (settings_content) dir.write("lumo2.cfg", settings_content);
        // A journal another program left open would be resumed: each run keeps its own.
        set_test_env("LUMO2_JOURNAL_DIR", dir.file("journal").c_str());
        const std::filesystem::path previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path);
        Tapp_options options;
        options.exit_pause_ms = 0;
        options.observer = [this](const char* stage) { observe(stage); };
        char name[] = "lumo2";
        char* argv[] = {name, nullptr};
        exit_code = run_application(1, argv, options);
        std::filesystem::current_path(previous);
    }

    void observe(const char* stage)
    {
        stages.push_back(stage);
        if (std::string(stage) != "started") return;
        QWidget* main = top_level("Fframe");
        main_visible_at_start = main && main->isVisible();
        // The desktop shows the program's emblem and finds its menu entry.
        identified_at_start = main && !main->windowIcon().isNull() &&
                              QGuiApplication::desktopFileName() == "org.lumo2.Lumo2";
        mode_at_start = bridge_state().current_mode;
        hidden_at_start = !top_level("Flumo_cal")->isVisible() && !top_level("Flumo_view")->isVisible();
        if (ending == BY_SIGTERM) request_stop();
        else if (ending == BY_CLOSING_MAIN) QTimer::singleShot(0, [main] { main->close(); });
        else QTimer::singleShot(0, [main] { main->findChild<QAction*>("exit3")->trigger(); });
    }

    Tending ending;

    Ttemp_dir dir;
    std::vector<std::string> stages;
    bool main_visible_at_start = false;
    bool identified_at_start = false;
    bool hidden_at_start = false;
    int mode_at_start = -1;
    int exit_code = -1;
};

TEST(Startup, WindowsInOrderThenStartThenExitSavesSettings)
{
    Trun run;
    const std::vector<std::string> expected = {"TFframe",         "TSignalForm", "TFlumo_cal",
                                               "TFlumo_settings", "TFlumo_view", "started",
                                               "stopped"};
    EXPECT_EQ(run.stages, expected);
    EXPECT_TRUE(run.main_visible_at_start);
    EXPECT_TRUE(run.identified_at_start);
    EXPECT_TRUE(run.hidden_at_start);
    EXPECT_EQ(run.mode_at_start, MODE_MAIN);
    EXPECT_EQ(run.exit_code, 0);
    const std::string saved = run.dir.read("lumo2.cfg");
    EXPECT_EQ(saved.rfind("TYPE=2\r", 0), 0u) << saved;
    EXPECT_EQ(the_app(), nullptr);
}

TEST(Startup, KeepsSavedSettingsAcrossARun)
{
    Trun run("TYPE=2\rlast_connect_device_id 3\rautonnect 0\rttimezone 101\r");
    const std::string saved = run.dir.read("lumo2.cfg");
    EXPECT_NE(saved.find("last_connect_device_id 3\r"), std::string::npos) << saved;
    EXPECT_NE(saved.find("ttimezone 101\r"), std::string::npos) << saved;
}

TEST(Startup, SigtermAndClosingTheMainWindowEndLikeExit)
{
    std::string why_not;
    const bool stop_requests = stop_request_possible(&why_not);
    for (Tending how : {BY_CLOSING_MAIN, BY_SIGTERM}) {
        if (how == BY_SIGTERM && !stop_requests) GTEST_SKIP() << "SIGTERM: " << why_not;
        Trun run(nullptr, how);
        EXPECT_EQ(run.stages.back(), "stopped");
        EXPECT_EQ(run.dir.read("lumo2.cfg"), "TYPE=2\r");
    }
    // The handler is gone with the program: the default action is back.
    EXPECT_TRUE(stop_handling_is_default());
}

struct Toptions_case {
    std::vector<const char*> arguments;
    bool ok;
    bool help;
    bool version;
    const char* show;
    unsigned request_every_ms = 0;
    Tpublish_options publish = {};
};

TEST(Options, ParsedOrRefused)
{
    const Toptions_case cases[] = {
        {{}, true, false, false, ""},
        {{"--help"}, true, true, false, ""},
        {{"--version", "-platform", "offscreen"}, true, false, true, ""},
        {{"--show=cal"}, true, false, false, "cal"},
        {{"--show=nothing"}, false, false, false, ""},
        {{"--show"}, false, false, false, ""},
        {{"--frobnicate"}, false, false, false, ""},
        {{"--show=chart", "--request-every=1000", "--constants=c.dat"}, true, false, false, "chart", 1000},
        {{"--show=tracer", "--tracer-inputs=t.txt"}, true, false, false, "tracer"},
        {{"--request-every=0"}, false, false, false, ""},
        {{"--request-every=1s"}, false, false, false, ""},
        {{"--request-every="}, false, false, false, ""},
        {{"--publish", "mqtt://h/t", "--station=s1", "--ca", "ca.pem", "-platform", "offscreen"}, true, false, false, "",
         0, {"mqtt://h/t", "s1", "ca.pem"}},
        {{"--publish=mqtt://h/t"}, true, false, false, "", 0, {"mqtt://h/t", "", ""}},
        {{"--publish"}, false, false, false, ""},
        {{"--simulate", "--ca"}, false, false, false, ""},
    };
    for (const Toptions_case& c : cases) {
        std::vector<char*> argv = {const_cast<char*>("lumo2")};
        for (const char* argument : c.arguments) argv.push_back(const_cast<char*>(argument));
        Tapp_options options;
        std::string error;
        SCOPED_TRACE(c.arguments.empty() ? "(none)" : c.arguments[0]);
        EXPECT_EQ(parse_options(int(argv.size()), argv.data(), &options, &error), c.ok);
        EXPECT_EQ(error.empty(), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(options.help, c.help);
        EXPECT_EQ(options.version, c.version);
        EXPECT_EQ(options.show, c.show);
        EXPECT_EQ(options.request_every_ms, c.request_every_ms);
        EXPECT_EQ(options.exit_pause_ms, 1000u);
        EXPECT_EQ(options.publish.url, c.publish.url);
        EXPECT_EQ(options.publish.station, c.publish.station);
        EXPECT_EQ(options.publish.ca, c.publish.ca);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // Listing the tests at build time has no display either.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Each test makes its own application object through run_application.
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
