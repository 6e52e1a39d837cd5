#include "tool/Recorder.h"

#include "app/Gui.h"
#include "events/Stop_signal.h"
#include "tool/Tool_args.h"

namespace {

const char COMMAND[] = "record";

// The serial worker reports "CONNECTED" as soon as the port is open; an
// open that failed reports nothing at all.
constexpr unsigned CONNECT_WAIT_MS = 2000;

}  // namespace

Trecorder::Trecorder(const Trecord_options& chosen, Ttable_appender* appender, Ttool_output* output)
    : options(chosen), table(appender), io(output),
      ui(chosen.port, chosen.lamps, [this](const char* line) { log_line(line); }, &ev_link)
{
    setParam("name", "recorder");
    ev_link.init("LINK", this);
    ev_publisher.init("PUBLISHER", this);
    connect_wait.setParam("name", "connect_wait");
    connect_wait.connect(this);
}

Trecorder::~Trecorder() { app.view_master.table.remove_listener(this); }

bool Trecorder::publish(const Tpublish_target& target, std::string* error)
{
    publisher = start_publisher(target, [this] { ev_publisher.trigger(); }, error);
    if (publisher) publisher->publish_table(options.table);
    return publisher != nullptr;
}

// A stop asked for before the pump runs makes it return at once, so the
// stop signal is watched from the start.
int Trecorder::run()
{
    Tstop_signal stop_signal([this] { pump.stop(); });
    if (!options.constants.empty() && !load_constants()) return TOOL_BAD_INPUT;
    app.view_master.set_request_period(options.period_ms);
    app.view_master.table.add_listener(this);
    app.common.start();
    dispatch_command(CMD_CONNECT);
    connect_wait.setDelay(CONNECT_WAIT_MS);
    pump.run();
    if (started) dispatch_command(CMD_STOP);
    if (publisher) {
        publisher->stop();
        show_publisher_reports();
    }
    return status;
}

// The master's log lines of the loading tell why constants are refused.
bool Trecorder::load_constants()
{
    std::vector<std::string> lines;
    collected = &lines;
    app.view_master.load_calibration(options.constants.c_str());
    collected = nullptr;
    if (app.view_master.constants.valid) return true;
    for (const std::string& line : lines) io->err += line + "\n";
    return false;
}

void Trecorder::log_line(const char* line)
{
    if (collected) collected->push_back(line);
    if (!options.verbose) return;
    io->err += line;
    io->err += "\n";
    io->show_now();
}

void Trecorder::OnEvent(Tmy_event* event)
{
    if (event == &ev_publisher) {
        show_publisher_reports();
    } else if (event == &connect_wait.ev_success && ui.link() == Trecord_ui::LINK_NOT_YET) {
        fail(TOOL_PORT_FAILED, std::string(app.common.port_name.c_str()) + ": unable to open the port");
    } else if (event == &ev_link && ui.link() == Trecord_ui::LINK_CONNECTED && !started) {
        started = true;
        dispatch_command(CMD_START);
    } else if (event == &ev_link && ui.link() == Trecord_ui::LINK_DISCONNECTED) {
        fail(TOOL_PORT_FAILED, std::string(app.common.port_name.c_str()) + ": DISCONNECTED");
    }
}

// Each row reaches the disk before the next answer is read; the master's
// table is emptied again, so that months of rows take no memory.
void Trecorder::row_added()
{
    Tmeasure_table& rows_in_memory = app.view_master.table;
    const Tmeasure_row row = rows_in_memory.row(rows_in_memory.data_rows() - 1);
    rows_in_memory.table_clear();
    std::string error;
    if (!table->append_row(row, &error)) {
        fail(TOOL_WRITE_FAILED, options.table + ": " + error);
        return;
    }
    std::string line;
    Tmeasure_table::row_text(row, &line);
    line.resize(line.size() - 2);
    io->out += line + "\n";
    io->show_now();
    rows++;
    if (publisher) publisher->rows_written();
    if (options.count != 0 && rows >= options.count) pump.stop();
}

// A refused login ends the recording: every attempt would be refused.
void Trecorder::show_publisher_reports()
{
    const bool refused = publisher->refused();
    const std::vector<std::string> reports = publisher->take_reports();
    for (size_t at = 0; at < reports.size(); ++at) {
        if (refused && at + 1 == reports.size()) fail(TOOL_BAD_INPUT, reports[at]);
        else tool_error(io, COMMAND, reports[at]);
    }
    io->show_now();
}

void Trecorder::fail(int failure, const std::string& message)
{
    if (status != TOOL_OK) return;
    status = failure;
    tool_error(io, COMMAND, message);
    io->show_now();
    pump.stop();
}
