#include "sim/Zeta_answer.h"

#include <bit>
#include <cmath>
#include <cstdio>

#include "events/Lib_time_os.h"

namespace {

constexpr double RAW_PER_MV = 67108864.0 / 10000.0;
constexpr double BATTERY_V_PER_MV = 6.53 * 0.0009286775631500744;
constexpr unsigned char FRAME_OPEN = 0x24;
constexpr unsigned char FRAME_CLOSE = 0x21;
constexpr unsigned char FRAME_ESCAPE = 0x7E;
constexpr std::uint8_t PAYLOAD_LENGTH = 36;
constexpr std::uint8_t CHECKSUM_SPAN = 8 + PAYLOAD_LENGTH - 4;  // offsets 0..N+4 = whole body

void append_word(std::string& line, double mv) {
    const std::uint32_t raw = mv_to_raw(mv);
    char text[24];
    std::snprintf(text, sizeof text, " %u %u", unsigned(raw >> 16), unsigned(raw & 0xFFFFu));
    line += text;
}

void append_time(std::string& line, std::time_t utc, unsigned sequence) {
    std::tm t{};
    utc_fields(utc, &t);
    char text[48];
    std::snprintf(text, sizeof text, " %02d:%02d:%02d %02d/%02d/%02d %u", t.tm_hour, t.tm_min,
                  t.tm_sec, t.tm_mday, t.tm_mon + 1, t.tm_year % 100, sequence);
    line += text;
}

void append_float(std::vector<std::uint8_t>& body, double value) {
    const auto bits = std::bit_cast<std::uint32_t>(static_cast<float>(value));
    for (int shift = 24; shift >= 0; shift -= 8) body.push_back(std::uint8_t(bits >> shift));
}

}  // namespace

std::uint32_t mv_to_raw(double mv) {
    const double raw = std::round(mv * RAW_PER_MV);
    if (!(raw > 0.0)) return 0;
    if (raw >= 4294967295.0) return 0xFFFFFFFFu;
    return static_cast<std::uint32_t>(raw);
}

double battery_to_mv(double volts) { return volts / BATTERY_V_PER_MV; }

double temperature_to_mv(double celsius) { return celsius * 10.0; }

std::string text_answer(unsigned char request, const Tzeta_reading& reading, bool with_time,
                        std::time_t utc, unsigned sequence) {
    std::string line(1, char(request));
    if (with_time) append_time(line, utc, sequence);
    const unsigned mask = request_mask(request);
    for (int lamp = 0; lamp < LAMP_COUNT; ++lamp) {
        if (!(mask & (1u << lamp))) continue;
        append_word(line, reading.off_mv[lamp]);
        append_word(line, reading.on_mv(lamp));
    }
    append_word(line, battery_to_mv(reading.battery_v));
    append_word(line, temperature_to_mv(reading.temperature_c));
    line += "\r\n";
    return line;
}

std::vector<std::uint8_t> frame_body(const Tzeta_reading& reading, unsigned sequence) {
    std::vector<std::uint8_t> body = {0x01, std::uint8_t(sequence), CHECKSUM_SPAN, 0x22, 0x41,
                                      0x15, PAYLOAD_LENGTH, 0x20};
    for (int lamp = 0; lamp < LAMP_COUNT; ++lamp) append_float(body, reading.delta_mv[lamp]);
    append_float(body, reading.temperature_c);
    for (int lamp = 0; lamp < LAMP_COUNT; ++lamp) append_float(body, reading.off_mv[lamp]);
    unsigned sum = 0;
    for (std::uint8_t byte : body) sum += byte;
    body.push_back(std::uint8_t(0xFFu - (sum & 0xFFu)));
    return body;
}

std::string stuff_frame(const std::vector<std::uint8_t>& body) {
    std::string wire(1, char(FRAME_OPEN));
    for (std::uint8_t byte : body) {
        if (byte == FRAME_OPEN || byte == FRAME_CLOSE || byte == FRAME_ESCAPE) {
            wire += char(FRAME_ESCAPE);
            byte ^= FRAME_ESCAPE;
        }
        wire += char(byte);
    }
    wire += char(FRAME_CLOSE);
    return wire;
}
