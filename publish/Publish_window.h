#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>

// The rows handed to the broker and not yet acknowledged. Acknowledgements
// of QoS 1 may come for later messages first: the acknowledged row moves
// only over an unbroken run, so that a restart after it resends nothing
// that was lost and loses nothing that was not acknowledged.
class Tpublish_window {
public:
    explicit Tpublish_window(size_t capacity) : capacity(capacity) {}

    // Nothing in flight; every row up to acknowledged is done with.
    void reset(unsigned long acknowledged, const std::string& timestamp);
    unsigned long acknowledged() const { return done; }
    // The timestamp cell of that row.
    const std::string& acknowledged_timestamp() const { return done_timestamp; }

    bool full() const { return rows.size() >= capacity; }
    bool empty() const { return rows.empty(); }
    // Row seq, whose line begins at offset in the table, went out as message
    // mid.
    void sent(int mid, unsigned long seq, uint64_t offset, const std::string& timestamp);
    // A row that is not sent (it is not a row of the table) counts as
    // acknowledged in its turn.
    void pass_over(unsigned long seq, uint64_t offset, const std::string& timestamp);
    // The broker acknowledged message mid; true when acknowledged() moved.
    // An acknowledgement may overtake the sender's sent() of its message.
    bool acknowledge(int mid);
    size_t in_flight() const { return rows.size(); }
    size_t room() const { return rows.size() < capacity ? capacity - rows.size() : 0; }
    // The connection broke: every row in flight goes again, from the first
    // one not acknowledged. False when none is in flight. The message ids
    // of the old connection are forgotten.
    bool resume_point(unsigned long* seq, uint64_t* offset);

private:
    struct Tsent_row {
        uint64_t offset;
        std::string timestamp;
        bool acknowledged;
    };
    bool advance();

    size_t capacity;
    unsigned long done = 0;
    std::string done_timestamp;
    std::map<unsigned long, Tsent_row> rows;
    std::map<int, unsigned long> seq_of_message;
    std::set<int> acknowledged_early;
};
