#include "publish/Publish_window.h"

void Tpublish_window::reset(unsigned long acknowledged, const std::string& timestamp)
{
    done = acknowledged;
    done_timestamp = timestamp;
    rows.clear();
    seq_of_message.clear();
    acknowledged_early.clear();
}

void Tpublish_window::sent(int mid, unsigned long seq, uint64_t offset, const std::string& timestamp)
{
    const bool early = acknowledged_early.erase(mid) > 0;
    rows[seq] = {offset, timestamp, early};
    if (early) advance();
    else seq_of_message[mid] = seq;
}

void Tpublish_window::pass_over(unsigned long seq, uint64_t offset, const std::string& timestamp)
{
    rows[seq] = {offset, timestamp, true};
    advance();
}

bool Tpublish_window::acknowledge(int mid)
{
    const auto message = seq_of_message.find(mid);
    if (message == seq_of_message.end()) {
        acknowledged_early.insert(mid);
        return false;
    }
    const auto row = rows.find(message->second);
    seq_of_message.erase(message);
    if (row == rows.end()) return false;
    row->second.acknowledged = true;
    return advance();
}

bool Tpublish_window::advance()
{
    bool moved = false;
    for (auto first = rows.begin(); first != rows.end() && first->first == done + 1 && first->second.acknowledged;
         first = rows.erase(first)) {
        done = first->first;
        done_timestamp = first->second.timestamp;
        moved = true;
    }
    return moved;
}

bool Tpublish_window::resume_point(unsigned long* seq, uint64_t* offset)
{
    seq_of_message.clear();
    acknowledged_early.clear();
    if (rows.empty()) return false;
    *seq = rows.begin()->first;
    *offset = rows.begin()->second.offset;
    rows.clear();
    return true;
}
