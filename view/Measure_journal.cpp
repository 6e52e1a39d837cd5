#include "view/Measure_journal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "events/Lib_cpp_os.h"
#include "events/Lib_time.h"
#include "events/My_string.h"
#include "events/Whole_file.h"

namespace {

const char* const MARKS_FILE = "open-journals.txt";
// Tables begun in one second beyond this are not journaled.
constexpr int MOST_NAMES_PER_SECOND = 100;
constexpr int BREAK_DOWN_UTC = 0;

// "lumo2-20261208-101500": the UTC date and time of the first row.
std::string journal_stem(int32_t timestamp)
{
    Tbroken_time t;
    break_down_time(&t, timestamp, BREAK_DOWN_UTC);
    char stem[48];
    std::snprintf(stem, sizeof stem, "lumo2-%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return stem;
}

// The journals the marks leave open, in the order they were opened.
std::vector<std::string> left_open(const std::string& marks)
{
    std::vector<std::string> open;
    size_t start = 0;
    for (size_t end; (end = marks.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = marks.substr(start, end - start);
        const size_t space = line.find(' ');
        if (space == std::string::npos) continue;
        const std::string journal = line.substr(space + 1);
        open.erase(std::remove(open.begin(), open.end(), journal), open.end());
        if (line.compare(0, space, "open") == 0) open.push_back(journal);
    }
    return open;
}

unsigned complete_rows_of(const std::string& journal)
{
    std::string content;
    return read_whole_file(journal.c_str(), &content) ? Ttable_appender::complete_rows_in(content) : 0;
}

// A journal another program holds is still being written, whatever the
// marks say.
bool written_elsewhere(const std::string& journal)
{
    Tappend_file file;
    return file.open_existing(journal.c_str(), nullptr) && !file.lock(nullptr);
}

}  // namespace

Tmeasure_journal::Tmeasure_journal(Tmeasure_table* table) : table(table), worker([this] { sync_on_worker(); })
{
    table->add_listener(this);
}

Tmeasure_journal::~Tmeasure_journal()
{
    table->remove_listener(this);
    failure_listener = nullptr;
    close();
    worker.wait_idle();
}

std::string Tmeasure_journal::default_folder()
{
    const char* chosen = std::getenv("LUMO2_JOURNAL_DIR");
    if (chosen && *chosen) return chosen;
    const std::string data = user_data_directory();
    return data.empty() ? std::string() : data + "/lumo2/journal";
}

// The marks are rewritten under their own lock, so that two programs
// sharing the folder never lose each other's lines.
std::vector<std::string> Tmeasure_journal::start(const std::string& folder)
{
    journal_folder = folder;
    reported.clear();
    std::vector<std::string> reports;
    auto file = std::make_shared<Tappend_file>();
    std::string content;
    const std::string marks_path = folder + "/" + MARKS_FILE;
    if (folder.empty() || !file->open_existing(marks_path.c_str(), nullptr)) return reports;
    file->lock_waiting();
    std::string still_open;
    bool rewritten = file->read_all(&content, nullptr);
    for (const std::string& journal : rewritten ? left_open(content) : std::vector<std::string>()) {
        if (written_elsewhere(journal)) {
            still_open += "open " + journal + "\n";
            continue;
        }
        reported.push_back(journal);
        reports.push_back("Journal not closed: \"" + journal + "\", " + std::to_string(complete_rows_of(journal)) +
                          " complete rows");
    }
    // Reported once: from now on they count as closed.
    rewritten = rewritten && file->truncate(0, nullptr) &&
                file->write_all(still_open.data(), still_open.size(), nullptr);
    file->unlock();
    if (!rewritten) return reports;
    std::lock_guard<std::mutex> guard(lock);
    marks = file;
    return reports;
}

bool Tmeasure_journal::reopen(const char* journal_path)
{
    // A journal just retired (by "clear", say) is closed by the worker, and
    // its lock with it: until then the same file would be refused as busy.
    wait_synced();
    auto next = std::make_shared<Topen_journal>();
    next->path = journal_path ? journal_path : "";
    std::vector<Tmeasure_row> rows;
    std::string error;
    if (!next->appender.open(next->path.c_str(), &error, &rows)) {
        if (next->appender.busy())
            log_printf("ERROR : journal \"%s\" %s", next->path.c_str(), error.c_str());
        else
            log_printf("ERROR : journal \"%s\" cannot be continued: %s", next->path.c_str(), error.c_str());
        return false;
    }
    if (next->appender.dropped_bytes() > 0)
        log_printf("Journal \"%s\": %s bytes of a last line cut short dropped, kept in \"%s\"", next->path.c_str(),
                   std::to_string(next->appender.dropped_bytes()).c_str(), next->appender.dropped_path().c_str());
    // Closes the journal of the rows replaced.
    table->table_load(std::move(rows));
    {
        std::lock_guard<std::mutex> guard(lock);
        current = next;
    }
    std::string ignored;
    if (!journal_folder.empty() && open_marks(&ignored)) mark("open", next->path);
    log_printf("Journal \"%s\" continued, %u complete rows", next->path.c_str(), next->appender.complete_rows());
    return true;
}

void Tmeasure_journal::close()
{
    retire();
    set_failing("");
}

void Tmeasure_journal::wait_synced()
{
    worker.wake();
    worker.wait_idle();
}

unsigned Tmeasure_journal::rows_not_journalled() const
{
    if (!failing) return 0;
    return table->data_rows() - (current ? std::min(current->appender.complete_rows(), table->data_rows()) : 0);
}

void Tmeasure_journal::set_failure_listener(std::function<void(const std::string& reason)> listener)
{
    failure_listener = std::move(listener);
}

void Tmeasure_journal::row_added()
{
    if (table->data_rows() == 0 || journal_folder.empty()) return;
    report_sync_failure();
    const auto now = std::chrono::steady_clock::now();
    if (failing && now - last_try < retry_interval) return;
    last_try = now;
    write_missing();
}

// The journal holds the table's first rows: those it missed while it
// failed go in first, in order, then the new one.
void Tmeasure_journal::write_missing()
{
    if (!current && !begin(table->row(0))) return;
    const unsigned before = current->appender.complete_rows();
    std::string error;
    for (unsigned row = before; row < table->data_rows(); ++row) {
        if (!current->appender.write_row(table->row(row), &error)) {
            fail(current->path, error);
            worker.wake();
            return;
        }
    }
    worker.wake();
    if (!failing) return;
    log_printf("Journal \"%s\" resumed, %u rows written late", current->path.c_str(), table->data_rows() - before - 1);
    set_failing("");
}

// The first row of a table: a new journal named for it.
bool Tmeasure_journal::begin(const Tmeasure_row& first)
{
    auto next = std::make_shared<Topen_journal>();
    std::string error;
    if (!make_directories(journal_folder, &error) || !open_marks(&error)) {
        fail(journal_folder, error);
        return false;
    }
    if (!create_named(next.get(), journal_folder + "/" + journal_stem(first.timestamp), &error)) {
        fail(next->path, error);
        return false;
    }
    mark("open", next->path);
    std::lock_guard<std::mutex> guard(lock);
    current = next;
    return true;
}

// stem.csv, or stem-2.csv, stem-3.csv ... when a table of the same second
// has it.
bool Tmeasure_journal::create_named(Topen_journal* journal, const std::string& stem, std::string* error)
{
    for (int number = 1; number <= MOST_NAMES_PER_SECOND; ++number) {
        journal->path = stem + (number == 1 ? std::string() : "-" + std::to_string(number)) + ".csv";
        bool exists = false;
        if (journal->appender.create(journal->path.c_str(), &exists, error)) return true;
        if (!exists) return false;
    }
    *error = "every name of this second is taken";
    return false;
}

bool Tmeasure_journal::open_marks(std::string* error)
{
    if (marks) return true;
    auto file = std::make_shared<Tappend_file>();
    if (!file->open((journal_folder + "/" + MARKS_FILE).c_str(), error)) return false;
    std::lock_guard<std::mutex> guard(lock);
    marks = file;
    return true;
}

// A mark that cannot be written loses only the report after a crash.
void Tmeasure_journal::mark(const char* word, const std::string& journal)
{
    if (!marks) return;
    const std::string line = std::string(word) + " " + journal + "\n";
    marks->lock_waiting();
    marks->write_all(line.data(), line.size(), nullptr);
    marks->unlock();
}

// The current journal is closed once the worker has synced it.
void Tmeasure_journal::retire()
{
    if (!current) return;
    mark("closed", current->path);
    {
        std::lock_guard<std::mutex> guard(lock);
        closing.push_back(std::move(current));
        current.reset();
    }
    worker.wake();
}

// Reported once; the journal stays open to be tried again.
void Tmeasure_journal::fail(const std::string& where, const std::string& reason)
{
    if (failing) return;
    log_printf("ERROR : journal \"%s\" cannot be written: %s", where.c_str(), reason.c_str());
    set_failing(reason);
}

void Tmeasure_journal::set_failing(const std::string& reason)
{
    const bool now_failing = !reason.empty();
    if (now_failing == failing) return;
    failing = now_failing;
    if (failure_listener) failure_listener(reason);
}

// A failure the worker met since the last row. The current journal's is
// tried again as after a failed write.
void Tmeasure_journal::report_sync_failure()
{
    std::string where;
    std::string reason;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (sync_failure.empty()) return;
        where.swap(failed_path);
        reason.swap(sync_failure);
    }
    if (current && where == current->path) {
        fail(where, reason);
        last_try = std::chrono::steady_clock::now();
        return;
    }
    log_printf("ERROR : journal \"%s\" cannot be written: %s", where.c_str(), reason.c_str());
}

void Tmeasure_journal::sync_on_worker()
{
    std::shared_ptr<Topen_journal> target;
    std::vector<std::shared_ptr<Topen_journal>> finishing;
    std::shared_ptr<Tappend_file> marks_file;
    {
        std::lock_guard<std::mutex> guard(lock);
        target = current;
        finishing.swap(closing);
        marks_file = marks;
    }
    if (target) finishing.push_back(target);
    for (const std::shared_ptr<Topen_journal>& journal : finishing) {
        std::string error;
        if (journal->appender.sync(&error)) continue;
        std::lock_guard<std::mutex> guard(lock);
        if (!sync_failure.empty()) continue;
        failed_path = journal->path;
        sync_failure = error;
    }
    if (marks_file) marks_file->sync(nullptr);
}
