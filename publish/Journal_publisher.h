#pragma once
#include <memory>

#include "events/Event_resource.h"
#include "publish/Publish_target.h"
#include "publish/Publisher.h"
#include "view/Measure_journal.h"
#include "view/Measure_table.h"

// The program's rows to the broker: the journal is the store. Follows the
// journal the table's rows go into (a new one after "clear", another after
// "Open journal...") and tells the publisher of each new row; the
// publisher's reports become lines of the log.
class Tjournal_publisher : public Tevent_resource, public Tmeasure_table_listener {
public:
    // Publishing as the options say, or null with one log line saying why
    // not (bad options, no journal, a build without publishing).
    static std::unique_ptr<Tjournal_publisher> start(const Tpublish_options& options, Tmeasure_table* table,
                                                     Tmeasure_journal* journal);
    Tjournal_publisher(Tmeasure_table* table, Tmeasure_journal* journal);
    ~Tjournal_publisher() override;

    void OnEvent(Tmy_event* event) override;

    void row_about_to_be_added(unsigned) override {}
    void row_added() override;
    void table_about_to_clear() override {}
    void table_cleared() override { follow_journal(); }

private:
    void follow_journal();

    Tmeasure_table* table;
    Tmeasure_journal* journal;
    std::string published_path;
    Tmy_event ev_report;
    std::unique_ptr<Tpublisher> publisher;
};
