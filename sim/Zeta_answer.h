#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "sim/Zeta_model.h"

// The two answer forms of the instrument: a text line and a stuffed binary
// frame.

enum class Tanswer_form { text, text_time, frame };

constexpr unsigned char REQUEST_FIRST = 0x40;  // '@': no lamp
constexpr unsigned char REQUEST_LAST = 0x4F;   // 'O': all four lamps

inline bool is_request(unsigned char byte) { return byte >= REQUEST_FIRST && byte <= REQUEST_LAST; }
inline unsigned request_mask(unsigned char request) { return request & 0x0Fu; }

// The raw 32-bit word that carries a value in mV (raw = mV x 2^26 / 10000),
// rounded and clamped to the word's range.
std::uint32_t mv_to_raw(double mv);
// The mV values that carry the battery voltage and the temperature.
double battery_to_mv(double volts);
double temperature_to_mv(double celsius);

// "O 12:34:56 05/06/24 17 ..." without the time tokens when `with_time` is
// false: the request letter, then per lit lamp (A, B, C, T) lamp off and on,
// then battery and temperature, each as high and low 16-bit decimal words;
// ended by CR LF.
std::string text_answer(unsigned char request, const Tzeta_reading& reading, bool with_time,
                        std::time_t utc, unsigned sequence);

// Unstuffed frame: address, sequence, span 40, 0x22 0x41 0x15, payload length
// 36, 0x20, nine big-endian floats (deltas A, B, C, T, temperature, dark
// A, B, C, T), then the checksum byte that makes the sum of all bytes 0xFF
// modulo 256. A frame has a place for every lamp, so it carries every lamp's
// reading whichever lamps were asked for.
std::vector<std::uint8_t> frame_body(const Tzeta_reading& reading, unsigned sequence);
// '$', the body with 0x24, 0x21 and 0x7E escaped as 0x7E and the byte XOR
// 0x7E, then '!'.
std::string stuff_frame(const std::vector<std::uint8_t>& body);
