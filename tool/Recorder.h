#pragma once
#include <memory>
#include <string>
#include <vector>

#include "app/Lumo2_app.h"
#include "events/Delay_resource.h"
#include "events/Event_pump.h"
#include "publish/Publisher.h"
#include "tool/Record_options.h"
#include "tool/Record_ui.h"
#include "view/Measure_table.h"
#include "view/Table_appender.h"

// lumo2-tool record: the program's live view without windows. The masters
// run as in the program, in view mode, on an event pump; the recorder plays
// the windows (Trecord_ui), presses START once the port is connected and
// appends every row the view master tables to the saved table on disk.
// One at a time: while it lives it is the bridge's application record,
// windows and log.
class Trecorder : public Tevent_resource, public Tmeasure_table_listener {
public:
    // The table is open already; io shows the rows and the messages.
    Trecorder(const Trecord_options& options, Ttable_appender* table, Ttool_output* io);
    ~Trecorder() override;

    // Every row is also published to the broker, the table being the
    // store. False, with the reason, where this build cannot publish.
    bool publish(const Tpublish_target& target, std::string* error);

    // Until the rows asked for are in, a stop is requested (Ctrl+C, SIGTERM)
    // or the port fails. Returns the exit status.
    int run();

    void OnEvent(Tmy_event* event) override;

    void row_about_to_be_added(unsigned) override {}
    void row_added() override;
    void table_about_to_clear() override {}
    void table_cleared() override {}

private:
    void log_line(const char* line);
    bool load_constants();
    void fail(int failure, const std::string& message);
    void show_publisher_reports();

    // The application record is installed before the windows are made,
    // which switch the bridge's mode in it.
    struct Tinstalled_app {
        explicit Tinstalled_app(Tlumo2_app* app) { set_the_app(app); }
        ~Tinstalled_app() { set_the_app(nullptr); }
        Tinstalled_app(const Tinstalled_app&) = delete;
        Tinstalled_app& operator=(const Tinstalled_app&) = delete;
    };

    const Trecord_options& options;
    Ttable_appender* table;
    Ttool_output* io;
    Tlumo2_app app;
    Tinstalled_app installed_app{&app};
    Tmy_event ev_link;
    Tmy_event ev_publisher;
    Trecord_ui ui;
    Tevent_pump pump;
    Tdelay_resource connect_wait;
    std::vector<std::string>* collected = nullptr;
    bool started = false;
    unsigned long rows = 0;
    int status = TOOL_OK;
    // After the events it raises, so that it stops before they go.
    std::unique_ptr<Tpublisher> publisher;
};
