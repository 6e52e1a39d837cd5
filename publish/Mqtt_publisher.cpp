#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "publish/Publish_window.h"
#include "publish/Published_state.h"
#include "publish/Publisher.h"
#include "publish/Row_message.h"
#include "publish/Row_source.h"

namespace {

using Tclock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Rows handed to the broker and not yet acknowledged, at most.
constexpr size_t WINDOW_ROWS = 64;
constexpr int KEEPALIVE_S = 30;
constexpr int LOOP_WAIT_MS = 1000;
// The acknowledged row is written down at most this often while rows flow;
// a crash in between only sends those rows again.
constexpr milliseconds STATE_EVERY{250};
// New rows are also looked for this often, should a wake-up be missed.
constexpr milliseconds LOOK_EVERY{1000};
constexpr auto OFFLINE_WAIT = std::chrono::seconds(3);
constexpr milliseconds FIRST_RETRY{1000};
constexpr int LONGEST_RETRY_FACTOR = 60;
// Tests shorten the wait before a new connection; the doubling and its
// limit, 60 times the first wait, stay.
const char RETRY_VARIABLE[] = "LUMO2_MQTT_RETRY_MS";
const char ONLINE[] = "online";
const char OFFLINE[] = "offline";
constexpr int QOS = 1;

milliseconds first_retry()
{
    const char* chosen = std::getenv(RETRY_VARIABLE);
    const long ms = chosen ? std::strtol(chosen, nullptr, 10) : 0;
    return ms > 0 ? milliseconds(ms) : FIRST_RETRY;
}

// The library's sentences end in a full stop; ours go on after them.
std::string reason_text(const char* sentence)
{
    std::string text = sentence ? sentence : "";
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

bool login_refused(int connack)
{
    return connack == 4 || connack == 5;  // bad user name or password; not authorised
}

class Tmqtt_publisher final : public Tpublisher {
public:
    Tmqtt_publisher(const Tpublish_target& target, std::function<void()> on_report)
        : target(target), on_report(std::move(on_report)), network([this] { run_network(); }),
          sender([this] { run_sender(); })
    {
    }
    ~Tmqtt_publisher() override { stop(); }

    void publish_table(const std::string& path) override
    {
        std::lock_guard<std::mutex> hold(lock);
        tables.push_back(path);
        nudge();
    }
    void rows_written() override
    {
        std::lock_guard<std::mutex> hold(lock);
        caught_up = false;
        nudge();
    }
    void stop() override;
    std::vector<std::string> take_reports() override
    {
        std::lock_guard<std::mutex> hold(lock);
        return std::exchange(reports, {});
    }
    bool refused() const override
    {
        std::lock_guard<std::mutex> hold(lock);
        return refused_login;
    }

private:
    static void connected_callback(mosquitto*, void* self, int connack);
    static void published_callback(mosquitto*, void* self, int mid);

    void run_network();
    mosquitto* new_session();
    int serve(mosquitto* session);
    void say_offline(mosquitto* session);
    void on_connected(mosquitto* session, int connack);
    void on_published(int mid);

    void run_sender();
    bool take_table(std::unique_lock<std::mutex>& hold);
    bool next_table_due(std::unique_lock<std::mutex>& hold);
    bool send_rows(std::unique_lock<std::mutex>& hold, bool* at_end);
    void publish_read(std::vector<Tstored_row>& rows, std::unique_lock<std::mutex>& hold);
    void save_state(std::unique_lock<std::mutex>& hold, bool now);

    // Under the lock.
    void nudge()
    {
        nudged = true;
        changed.notify_all();
    }
    void report(const std::string& sentence)
    {
        reports.push_back(sentence);
        if (on_report) on_report();
    }

    const Tpublish_target target;
    const std::function<void()> on_report;

    mutable std::mutex lock;
    std::condition_variable changed;
    bool nudged = false;
    bool stopping = false;
    bool stopped = false;
    bool refused_login = false;
    // Every row of the table has been acknowledged, as far as the sender
    // knows; a stop waits for it a while.
    bool caught_up = false;
    // Set on each new connection, so that the sender sends again what the
    // broken one left unacknowledged.
    bool connected = false;
    unsigned connection = 0;
    int status_mid = -1;
    bool offline_acknowledged = false;
    std::string outage;  // why the broker could not be reached, reported once
    std::vector<std::string> reports;
    std::deque<std::string> tables;
    Tpublish_window window{WINDOW_ROWS};

    // Held while the sender publishes and while the network thread ends a
    // session, so that no publish meets a destroyed one.
    std::mutex session_lock;
    mosquitto* session = nullptr;

    // The sender's own.
    Trow_source source;
    std::string table;
    unsigned long saved_seq = 0;
    bool state_failing = false;
    Tclock::time_point saved_at;

    std::thread network;
    std::thread sender;
};

// The rows written just before are sent and acknowledged first, when the
// broker is there to take them.
void Tmqtt_publisher::stop()
{
    {
        std::unique_lock<std::mutex> hold(lock);
        if (stopped) return;
        stopped = true;
        nudge();
        changed.wait_for(hold, OFFLINE_WAIT, [this] { return !connected || refused_login || caught_up; });
        stopping = true;
        nudge();
    }
    sender.join();
    network.join();
    std::unique_lock<std::mutex> hold(lock);
    save_state(hold, true);
}

// ---- The network thread: connects, runs the session, connects again.

void Tmqtt_publisher::run_network()
{
    const milliseconds first = first_retry();
    milliseconds wait = first;
    std::unique_lock<std::mutex> hold(lock);
    while (!stopping && !refused_login) {
        hold.unlock();
        mosquitto* made = new_session();
        int result = made ? mosquitto_connect_async(made, target.host.c_str(), target.port, KEEPALIVE_S) : MOSQ_ERR_NOMEM;
        if (result == MOSQ_ERR_SUCCESS) result = serve(made);
        {
            std::lock_guard<std::mutex> ending(session_lock);
            session = nullptr;
        }
        hold.lock();
        const bool was_connected = connected;
        connected = false;
        if (was_connected) wait = first;
        if (!stopping && !refused_login && outage.empty()) {
            const bool lost = result == MOSQ_ERR_CONN_LOST || result == MOSQ_ERR_SUCCESS;
            outage = lost ? "connection lost" : reason_text(mosquitto_strerror(result));
            report(target.broker() + ": " + outage + "; rows are kept and sent once it answers");
        }
        hold.unlock();
        if (made) mosquitto_destroy(made);
        hold.lock();
        changed.wait_for(hold, wait, [this] { return stopping; });
        wait = std::min(wait * 2, first * LONGEST_RETRY_FACTOR);
    }
}

mosquitto* Tmqtt_publisher::new_session()
{
    static std::once_flag library_ready;
    std::call_once(library_ready, [] { mosquitto_lib_init(); });
    mosquitto* made = mosquitto_new(nullptr, true, this);
    if (!made) return nullptr;
    mosquitto_threaded_set(made, true);
    mosquitto_int_option(made, MOSQ_OPT_SEND_MAXIMUM, int(WINDOW_ROWS));
    mosquitto_connect_callback_set(made, connected_callback);
    mosquitto_publish_callback_set(made, published_callback);
    const std::string status = target.status_topic();
    mosquitto_will_set(made, status.c_str(), int(sizeof OFFLINE - 1), OFFLINE, QOS, true);
    if (!target.user.empty())
        mosquitto_username_pw_set(made, target.user.c_str(), target.password.empty() ? nullptr : target.password.c_str());
    if (target.tls && !target.ca.empty()) mosquitto_tls_set(made, target.ca.c_str(), nullptr, nullptr, nullptr, nullptr);
    else if (target.tls) mosquitto_int_option(made, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
    std::lock_guard<std::mutex> starting(session_lock);
    session = made;
    return made;
}

// Until the connection fails or a stop is asked for; the loop also wakes
// when the sender publishes.
int Tmqtt_publisher::serve(mosquitto* running)
{
    int result = MOSQ_ERR_SUCCESS;
    for (;;) {
        result = mosquitto_loop(running, LOOP_WAIT_MS, 1);
        std::lock_guard<std::mutex> hold(lock);
        if (stopping || refused_login || result != MOSQ_ERR_SUCCESS) break;
    }
    std::unique_lock<std::mutex> hold(lock);
    const bool clean_stop = stopping && connected;
    hold.unlock();
    if (clean_stop) say_offline(running);
    return result;
}

// The retained "offline" replaces "online", then a clean disconnect, which
// the broker does not answer with the last will.
void Tmqtt_publisher::say_offline(mosquitto* running)
{
    int mid = 0;
    if (mosquitto_publish(running, &mid, target.status_topic().c_str(), int(sizeof OFFLINE - 1), OFFLINE, QOS, true) ==
        MOSQ_ERR_SUCCESS) {
        std::unique_lock<std::mutex> hold(lock);
        status_mid = mid;
        offline_acknowledged = false;
        const Tclock::time_point give_up = Tclock::now() + OFFLINE_WAIT;
        while (!offline_acknowledged && Tclock::now() < give_up) {
            hold.unlock();
            const int result = mosquitto_loop(running, 100, 1);
            hold.lock();
            if (result != MOSQ_ERR_SUCCESS) return;
        }
    }
    mosquitto_disconnect(running);
    mosquitto_loop(running, 100, 1);
}

void Tmqtt_publisher::connected_callback(mosquitto* running, void* self, int connack)
{
    static_cast<Tmqtt_publisher*>(self)->on_connected(running, connack);
}

void Tmqtt_publisher::published_callback(mosquitto*, void* self, int mid)
{
    static_cast<Tmqtt_publisher*>(self)->on_published(mid);
}

void Tmqtt_publisher::on_connected(mosquitto* running, int connack)
{
    std::lock_guard<std::mutex> hold(lock);
    if (connack != 0) {
        const std::string reason = reason_text(mosquitto_connack_string(connack));
        if (login_refused(connack)) {
            refused_login = true;
            report(target.broker() + " refused the login: " + reason);
        } else if (outage.empty()) {
            outage = reason;
            report(target.broker() + ": " + reason + "; rows are kept and sent once it answers");
        }
        return;
    }
    int mid = 0;
    mosquitto_publish(running, &mid, target.status_topic().c_str(), int(sizeof ONLINE - 1), ONLINE, QOS, true);
    status_mid = mid;
    connected = true;
    connection++;
    report(target.broker() + ": connected, publishing to " + target.row_topic());
    outage.clear();
    nudge();
}

void Tmqtt_publisher::on_published(int mid)
{
    std::lock_guard<std::mutex> hold(lock);
    // Message ids come round again in a long session: the status's is
    // forgotten once acknowledged.
    if (mid == status_mid) {
        status_mid = -1;
        offline_acknowledged = true;
        return;
    }
    window.acknowledge(mid);
    nudge();
}

// ---- The sender thread: reads the rows from the table and publishes them.

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
        if (at_end && window.empty() && !caught_up) {
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

}  // namespace

std::string publishing_unavailable() { return std::string(); }

std::unique_ptr<Tpublisher> start_publisher(const Tpublish_target& target, std::function<void()> on_report,
                                            std::string*)
{
    return std::make_unique<Tmqtt_publisher>(target, std::move(on_report));
}
