#pragma once
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <cstring>
#include <vector>

// Builds instrument frames as they travel on the wire.
namespace frame_builder {

using Tbytes = std::vector<unsigned char>;

// Header (checksum over offsets 0 to 7) and payload, before stuffing.
inline Tbytes unstuffed(const Tbytes& payload, unsigned char span_n = 3) {
    const unsigned char header[] = {0x00, 0x01, span_n, 0x22, 0x41, 0x15, (unsigned char)payload.size(), 0x20};
    Tbytes frame(sizeof header + payload.size());
    std::copy(std::begin(header), std::end(header), frame.begin());
    std::copy(payload.begin(), payload.end(), frame.begin() + sizeof header);
    unsigned sum = 0;
    for (unsigned i = 1; i < span_n + 5u && i < frame.size(); ++i)
        sum += frame[i];
    frame[0] = (unsigned char)(0xFF - (sum & 0xFF));
    return frame;
}

// '$' + stuffed bytes + '!'.
inline Tbytes wire(const Tbytes& bytes) {
    Tbytes out = {'$'};
    for (unsigned char b : bytes) {
        if (b == 0x24 || b == 0x21 || b == 0x7E) {
            out.push_back(0x7E);
            out.push_back(b ^ 0x7E);
        } else {
            out.push_back(b);
        }
    }
    out.push_back('!');
    return out;
}

inline void put_be_float(Tbytes* out, float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof bits);
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back((unsigned char)(bits >> shift));
}

// A measurement payload: deltas A-T, temperature, lamp off A-T.
inline Tbytes measurement(const float deltas[4], float temperature, const float offs[4]) {
    Tbytes payload;
    for (int i = 0; i < 4; ++i)
        put_be_float(&payload, deltas[i]);
    put_be_float(&payload, temperature);
    for (int i = 0; i < 4; ++i)
        put_be_float(&payload, offs[i]);
    return payload;
}

}  // namespace frame_builder
