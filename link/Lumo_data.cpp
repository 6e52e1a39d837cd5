#include "link/Lumo_data.h"

#include <cstring>

#include "app/Gui.h"
#include "events/Lib_cpp.h"
#include "events/String_token.h"

namespace {

constexpr unsigned char FRAME_OPEN = 0x24;    // '$'
constexpr unsigned char FRAME_CLOSE = 0x21;   // '!'
constexpr unsigned char FRAME_ESCAPE = 0x7E;  // '~'

// A lamp value in mV per unit of the 32-bit raw reading (10000 / 2^26).
constexpr double MV_PER_RAW = 0.00014901161193847656;
constexpr double VBAT_FACTOR = 6.53;
constexpr double VBAT_PER_MV = 0.0009286775631500744;
constexpr double DEGC_PER_MV = 0.1;

// Whether the unstuffed frame holds a valid header, checksum and payload.
bool frame_valid(const Tframe& frame) {
    const unsigned count = frame.count;
    if (count < FRAME_HEADER_BYTES)
        return false;
    const unsigned checked = frame.bytes[2] + 5u;
    if (checked > count)
        return false;
    unsigned sum = 0;
    for (unsigned i = 0; i < checked; ++i)
        sum += frame.bytes[i];
    if ((sum & 0xFF) != 0xFF)
        return false;
    if (frame.bytes[3] != 0x22 || frame.bytes[4] != 0x41 || frame.bytes[5] != 0x15)
        return false;
    if ((frame.bytes[7] & 0x3F) != 0x20)
        return false;
    return FRAME_HEADER_BYTES + frame.bytes[6] <= count;
}

// The mV value of tokens k (high word) and k + 1 (low word).
float token_value(const Tstring_tokenizer& tokens, int k) {
    int high = 0;
    int low = 0;
    parse_unsigned(tokens.token(k)->c_str(), &high);
    parse_unsigned(tokens.token(k + 1)->c_str(), &low);
    const uint32_t raw = uint32_t(high) * 65536u + uint32_t(low);
    return float(raw * MV_PER_RAW);
}

bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A token of exactly 8 characters with ':' third: a time, followed by two
// more tokens that carry no reading.
bool is_time_token(const Tmy_string* token) { return token->length() == 8 && token->at(2) == ':'; }

float be_float(const unsigned char* bytes) {
    const uint32_t bits = be32_bits(bytes);
    float value;
    memcpy(&value, &bits, sizeof value);
    return value;
}

}  // namespace

Tlumo_measure::Tlumo_measure() { Tlumo_measure::reset(); }

void Tlumo_measure::reset() {
    const float missing = undefined_float();
    ppb_a = missing;
    ppb_b = missing;
    ppb_c = missing;
    ntu = missing;
    Tlumo_sample::reset();
}

bool unstuff_and_check_frame(const unsigned char* bytes, unsigned length, Tframe* frame,
                             unsigned* payload_length) {
    frame->count = 0;
    *payload_length = 0;
    if (!bytes)
        return false;
    bool escape = false;
    for (unsigned i = 0; i < length; ++i) {
        unsigned char byte = bytes[i];
        if (byte == FRAME_OPEN) {
            frame->count = 0;
            escape = false;
        } else if (byte == FRAME_CLOSE) {
            break;
        } else if (byte == FRAME_ESCAPE) {
            escape = true;
        } else {
            if (escape) {
                byte ^= FRAME_ESCAPE;
                escape = false;
            }
            if (frame->count < FRAME_MAX_BYTES)
                frame->bytes[frame->count++] = byte;
        }
    }
    if (!frame_valid(*frame))
        return false;
    *payload_length = frame->bytes[6];
    return true;
}

void decodeFrame(const unsigned char* bytes, unsigned length, Tdata_sink sink) {
    Tframe frame;
    unsigned payload_length = 0;
    if (unstuff_and_check_frame(bytes, length, &frame, &payload_length) && sink)
        sink(1, frame.bytes + FRAME_HEADER_BYTES, payload_length);
}

void decodeFrame(const unsigned char* bytes, unsigned length) { decodeFrame(bytes, length, dispatch_data); }

void parse_text_line(Tlumo_sample* record, const char* text) {
    if (!record)
        return;
    record->reset();
    Tmy_string line;
    line.assign(text ? text : "");
    line.trim();
    Tstring_tokenizer tokens;
    tokens.tokenize(line.c_str(), " ");
    const int count = tokens.count();
    const char first = tokens.token(0)->at(0);
    if (count >= 5 && (first == '@' || is_ascii_letter(first))) {
        const unsigned mask = unsigned(first) & 0x0F;
        int p = 1;
        int budget = count - 5;
        if (is_time_token(tokens.token(1))) {
            p = 4;
            budget -= 3;
        }
        for (int i = 0; i < LAMP_COUNT; ++i) {
            if (!(mask & (1u << i)))
                continue;
            if (budget < 4)
                break;
            record->lamp[i].off = token_value(tokens, p);
            record->lamp[i].on = token_value(tokens, p + 2);
            p += 4;
            budget -= 4;
        }
        record->vbat = float(double(token_value(tokens, p)) * VBAT_FACTOR * VBAT_PER_MV);
        record->temperature = float(double(token_value(tokens, p + 2)) * DEGC_PER_MV);
    }
    record->compute_deltas();
}

void parse_frame_payload(Tlumo_sample* record, const unsigned char* payload, unsigned length) {
    if (!record)
        return;
    record->reset();
    if (!payload || length < MEASURE_PAYLOAD_BYTES)
        return;
    for (int i = 0; i < LAMP_COUNT; ++i) {
        const float delta = be_float(payload + 4 * i);
        const float off = be_float(payload + 20 + 4 * i);
        record->delta[i] = delta;
        record->lamp[i].off = off;
        record->lamp[i].on = off + delta;
    }
    record->temperature = be_float(payload + 16);
}
