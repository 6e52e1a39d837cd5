#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "publish/Publish_target.h"

// Publishes every row of a table file to an MQTT broker, one message per
// row, QoS 1, in order. The table is the only store: rows are read from the
// file, so rows written while the broker cannot be reached are sent once it
// can, and "<table>.published" keeps the last row the broker acknowledged,
// so that a restart goes on after it. The network runs on threads of the
// publisher: nothing here waits for it.
class Tpublisher {
public:
    virtual ~Tpublisher() = default;

    // The table or journal whose rows are published from now on. The rows
    // of the one before are published to its end first.
    virtual void publish_table(const std::string& path) = 0;
    // New rows may be in the table. Any thread.
    virtual void rows_written() = 0;
    // Ends publishing: when connected, the status "offline" and a clean
    // disconnect, waiting a few seconds at most.
    virtual void stop() = 0;
    // Sentences for the user since the last call.
    virtual std::vector<std::string> take_reports() = 0;
    // The broker refused the login: nothing more is tried.
    virtual bool refused() const = 0;
};

// Why this build cannot publish; empty where it can.
std::string publishing_unavailable();

// A publisher to the target, running; on_report is called on a thread of
// the publisher whenever reports wait. Null, with the reason in *error,
// where this build cannot publish.
std::unique_ptr<Tpublisher> start_publisher(const Tpublish_target& target, std::function<void()> on_report,
                                            std::string* error);
