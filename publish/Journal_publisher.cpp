#include "publish/Journal_publisher.h"

#include "events/My_string.h"

std::unique_ptr<Tjournal_publisher> Tjournal_publisher::start(const Tpublish_options& options, Tmeasure_table* table,
                                                              Tmeasure_journal* journal)
{
    Tpublish_target target;
    std::string error;
    if (!read_publish_target(options, &target, &error)) {
        log_printf("ERROR : MQTT: %s; nothing is published", error.c_str());
        return nullptr;
    }
    if (journal->folder().empty()) {
        log_printf("ERROR : MQTT: no journal, which holds the rows to publish; nothing is published");
        return nullptr;
    }
    auto made = std::make_unique<Tjournal_publisher>(table, journal);
    Tmy_event* report = &made->ev_report;
    made->publisher = start_publisher(target, [report] { report->trigger(); }, &error);
    if (!made->publisher) {
        log_printf("ERROR : MQTT: %s; nothing is published", error.c_str());
        return nullptr;
    }
    log_printf("MQTT: publishing every row of the journal to %s as %s", target.broker().c_str(),
               target.row_topic().c_str());
    table->add_listener(made.get());
    made->follow_journal();
    return made;
}

Tjournal_publisher::Tjournal_publisher(Tmeasure_table* measure_table, Tmeasure_journal* measure_journal)
    : table(measure_table), journal(measure_journal)
{
    setParam("name", "journal_publisher");
    ev_report.init("MQTT", this);
}

Tjournal_publisher::~Tjournal_publisher()
{
    table->remove_listener(this);
    if (publisher) publisher->stop();
}

void Tjournal_publisher::OnEvent(Tmy_event* event)
{
    if (event != &ev_report || !publisher) return;
    for (const std::string& line : publisher->take_reports()) log_printf("MQTT: %s", line.c_str());
}

// The journal has written the row by now: it listens to the table first.
void Tjournal_publisher::row_added()
{
    follow_journal();
    publisher->rows_written();
}

void Tjournal_publisher::follow_journal()
{
    const std::string path = journal->current_path();
    if (path.empty() || path == published_path) return;
    published_path = path;
    publisher->publish_table(path);
}
