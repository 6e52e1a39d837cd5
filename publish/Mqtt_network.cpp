#include <mosquitto.h>

#include <algorithm>
#include <cstdlib>

#include "publish/Mqtt_publisher.h"

namespace {

using Tclock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int KEEPALIVE_S = 30;
constexpr int LOOP_WAIT_MS = 1000;
constexpr milliseconds FIRST_RETRY{1000};
constexpr int LONGEST_RETRY_FACTOR = 60;
// Tests shorten the wait before a new connection; the doubling and its
// limit, 60 times the first wait, stay.
const char RETRY_VARIABLE[] = "LUMO2_MQTT_RETRY_MS";
const char ONLINE[] = "online";
const char OFFLINE[] = "offline";

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

}  // namespace

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

std::string publishing_unavailable() { return std::string(); }

std::unique_ptr<Tpublisher> start_publisher(const Tpublish_target& target, std::function<void()> on_report,
                                            std::string*)
{
    return std::make_unique<Tmqtt_publisher>(target, std::move(on_report));
}
