#include "publish/Mqtt_publisher.h"

#include <mosquitto.h>

#include "publish/Published_state.h"
#include "publish/Row_message.h"

namespace {

using Tclock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The acknowledged row is written down at most this often while rows flow;
// a crash in between only sends those rows again.
constexpr milliseconds STATE_EVERY{250};
// New rows are also looked for this often, should a wake-up be missed.
constexpr milliseconds LOOK_EVERY{1000};

}  // namespace

void Tmqtt_publisher::run_sender()
{
    std::unique_lock<std::mutex> hold(lock);
    unsigned sent_on = 0;
    while (!stopping) {
        nudged = false;
        if (table.empty() || next_table_due(hold)) {
            if (!take_table(hold)) {
                changed.wait_for(hold, LOOK_EVERY, [this] { return nudged; });
                continue;
            }
        }
        if (connected && sent_on != connection) {
            sent_on = connection;
            unsigned long seq = 0;
            uint64_t offset = 0;
            if (window.resume_point(&seq, &offset)) source.seek(seq, offset);
        }
        bool at_end = false;
        const bool sent = connected && window.room() > 0 && send_rows(hold, &at_end);
        // A row written while the file was being read leaves it nudged:
        // caught up only if nothing came meanwhile.
        if (at_end && window.empty() && !caught_up && !nudged) {
            caught_up = true;
            changed.notify_all();
        }
        save_state(hold, false);
        if (!sent && !stopping && !nudged)
            changed.wait_for(hold, saved_seq != window.acknowledged() ? STATE_EVERY : LOOK_EVERY,
                             [this] { return nudged; });
    }
}

// A table taken over by a newer one is done once its last row is
// acknowledged: it grows no more.
bool Tmqtt_publisher::next_table_due(std::unique_lock<std::mutex>& hold)
{
    if (tables.size() < 2 || !window.empty()) return false;
    std::vector<Tstored_row> more;
    std::string error;
    if (source.read(1, &more, &error) && !more.empty()) {
        source.seek(more.front().seq, more.front().offset);
        return false;
    }
    save_state(hold, true);
    tables.pop_front();
    table.clear();
    return true;
}

bool Tmqtt_publisher::take_table(std::unique_lock<std::mutex>& hold)
{
    if (tables.empty()) return false;
    const std::string path = tables.front();
    hold.unlock();
    Tpublished_state state;
    std::string state_error;
    const bool state_read = read_published_state(path, &state, &state_error);
    bool matched = true;
    std::string error;
    const bool opened = source.open(path, state, &matched, &error);
    hold.lock();
    if (!state_read)
        report(published_state_path(path) + ": " + state_error + "; the table is published from its first row");
    else if (opened && !matched)
        report(path + ": the row acknowledged before (" + std::to_string(state.seq) +
               ") is not in the table; it is published from its first row");
    if (!opened) {
        report(path + ": " + error + "; its rows are not published");
        tables.pop_front();
        return false;
    }
    table = path;
    window.reset(matched ? state.seq : 0, matched ? state.timestamp : std::string());
    saved_seq = window.acknowledged();
    saved_at = Tclock::now();
    return true;
}

// The rows after the last one sent, as many as the window has room for.
bool Tmqtt_publisher::send_rows(std::unique_lock<std::mutex>& hold, bool* at_end)
{
    const size_t room = window.room();
    const unsigned on = connection;
    hold.unlock();
    std::vector<Tstored_row> rows;
    std::string error;
    const bool read = source.read(room, &rows, &error);
    hold.lock();
    if (!read) report(table + ": " + error);
    *at_end = read && rows.empty();
    if (rows.empty()) return false;
    if (!connected || on != connection) {
        source.seek(rows.front().seq, rows.front().offset);
        return false;
    }
    publish_read(rows, hold);
    return true;
}

void Tmqtt_publisher::publish_read(std::vector<Tstored_row>& rows, std::unique_lock<std::mutex>& hold)
{
    const std::string topic = target.row_topic();
    hold.unlock();
    std::lock_guard<std::mutex> publishing(session_lock);
    std::string json;
    for (const Tstored_row& row : rows) {
        std::string fault;
        const std::string timestamp(row_timestamp(row.line));
        if (!row_message(row.line, target.station, row.seq, &json, &fault)) {
            hold.lock();
            report(table + ": row " + std::to_string(row.seq) + " is not published: " + fault);
            window.pass_over(row.seq, row.offset, timestamp);
            hold.unlock();
            continue;
        }
        int mid = 0;
        if (!session ||
            mosquitto_publish(session, &mid, topic.c_str(), int(json.size()), json.data(), QOS, false) != MOSQ_ERR_SUCCESS) {
            source.seek(row.seq, row.offset);
            break;
        }
        hold.lock();
        window.sent(mid, row.seq, row.offset, timestamp);
        hold.unlock();
    }
    hold.lock();
}

// Written when due, or now: outside the lock, since it waits for the disk.
void Tmqtt_publisher::save_state(std::unique_lock<std::mutex>& hold, bool now)
{
    const unsigned long seq = window.acknowledged();
    if (table.empty() || seq == saved_seq || (!now && Tclock::now() - saved_at < STATE_EVERY)) return;
    const Tpublished_state state{seq, window.acknowledged_timestamp()};
    const std::string path = table;
    hold.unlock();
    std::string error;
    const bool written = write_published_state(path, state, &error);
    hold.lock();
    saved_at = Tclock::now();
    if (written) saved_seq = seq;
    if (!written && !state_failing) report(published_state_path(path) + ": " + error);
    state_failing = !written;
}
