#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "publish/Publish_window.h"
#include "publish/Publisher.h"
#include "publish/Row_source.h"

struct mosquitto;

// The publisher on the MQTT client library. Two threads: the network's
// (Mqtt_network.cpp) connects, runs the session and connects again after a
// failure; the sender's (Mqtt_sender.cpp) reads the rows from the table and
// publishes them within the window. They share the state below under lock;
// the library's callbacks run on the network's thread.
class Tmqtt_publisher final : public Tpublisher {
public:
    // Rows handed to the broker and not yet acknowledged, at most.
    static constexpr size_t WINDOW_ROWS = 64;
    static constexpr int QOS = 1;
    // A stop waits this long for the rows in flight and for "offline".
    static constexpr std::chrono::seconds OFFLINE_WAIT{3};

    // Both threads start at once.
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
    // A session is up; connection counts them, so that the sender sends
    // again what a broken one left unacknowledged.
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
    std::chrono::steady_clock::time_point saved_at;

    std::thread network;
    std::thread sender;
};
