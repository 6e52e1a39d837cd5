#pragma once
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "events/Append_file.h"
#include "events/Coalescing_worker.h"
#include "view/Measure_table.h"
#include "view/Table_appender.h"

// Keeps every row of the measurement table on disk the moment it is added,
// as "save" would write the table, so that a crash or a power failure loses
// no complete row. One journal per table: the first row after start-up or
// after a clear creates it, the clear or the end of the program closes it.
// Rows are handed to the system on the GUI thread; a thread of the journal
// waits for the disk.
class Tmeasure_journal : public Tmeasure_table_listener {
public:
    explicit Tmeasure_journal(Tmeasure_table* table);
    ~Tmeasure_journal() override;
    Tmeasure_journal(const Tmeasure_journal&) = delete;
    Tmeasure_journal& operator=(const Tmeasure_journal&) = delete;

    // LUMO2_JOURNAL_DIR when set, else the user's data folder's
    // lumo2/journal.
    static std::string default_folder();

    // Journals go into folder (made when missing) from now on. Returns the
    // report of each journal a previous run left open; they count as closed
    // from here on. A journal another program still writes is neither
    // reported nor counted as closed. Until started, the journal writes
    // nothing.
    std::vector<std::string> start(const std::string& folder);
    const std::string& folder() const { return journal_folder; }
    // The journals start reported, in the order they were opened.
    const std::vector<std::string>& reported_open() const { return reported; }

    // Continues the journal at path: its complete rows replace the table's
    // and later rows are appended to it. A file that cannot be continued,
    // or that another program writes, is reported and changes nothing.
    bool reopen(const char* path);
    // Closes the current journal; the next row begins a new one.
    void close();
    // The journal being written; empty when there is none.
    std::string current_path() const { return current ? current->path : std::string(); }
    // Blocks until every row written so far is on the disk.
    void wait_synced();

    // The table's rows the failing journal has not yet taken; 0 while it
    // works. Clearing or replacing the table loses them.
    unsigned rows_not_journalled() const;
    // Told the reason when the journal begins to fail, and "" when it
    // writes again or is closed.
    void set_failure_listener(std::function<void(const std::string& reason)> listener);
    // While the journal fails, it is tried again with a new row at most
    // this often.
    void set_retry_interval(std::chrono::milliseconds interval) { retry_interval = interval; }
    static constexpr std::chrono::milliseconds RETRY_INTERVAL{10000};

    void row_about_to_be_added(unsigned) override {}
    void row_added() override;
    void table_about_to_clear() override { close(); }
    void table_cleared() override {}

private:
    struct Topen_journal {
        Ttable_appender appender;
        std::string path;
    };

    bool begin(const Tmeasure_row& first);
    void write_missing();
    bool create_named(Topen_journal* journal, const std::string& stem, std::string* error);
    bool open_marks(std::string* error);
    void mark(const char* word, const std::string& journal);
    void retire();
    void fail(const std::string& where, const std::string& reason);
    void set_failing(const std::string& reason);
    void report_sync_failure();
    void sync_on_worker();

    Tmeasure_table* table;
    std::string journal_folder;
    std::vector<std::string> reported;
    // While the journal fails: every new row tries it again, at most once
    // per retry interval, and first writes the rows it missed.
    bool failing = false;
    std::chrono::steady_clock::time_point last_try;
    std::chrono::milliseconds retry_interval = RETRY_INTERVAL;
    std::function<void(const std::string&)> failure_listener;

    // The journals open in this folder, for the next start-up to find
    // those a crash left open: lines "open <path>" and "closed <path>".
    // Set once, then shared with the worker, which syncs it.
    std::shared_ptr<Tappend_file> marks;

    // Shared with the worker: the journal it syncs, those closed and still
    // to be synced, and the first failure it met. Only the GUI thread
    // changes current and marks, under the lock.
    std::mutex lock;
    std::shared_ptr<Topen_journal> current;
    std::vector<std::shared_ptr<Topen_journal>> closing;
    std::string failed_path;
    std::string sync_failure;
    Tcoalescing_worker worker;
};
