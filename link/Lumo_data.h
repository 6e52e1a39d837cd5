#pragma once
#include <cstdint>
#include "calibration/Lumo_sample.h"

// A reading of the live view: the sample record plus its arrival time and
// the converted results.
class Tlumo_measure : public Tlumo_sample {
public:
    Tlumo_measure();

    int32_t timestamp = 0;  // UNIX seconds (UTC) of arrival; reset leaves it
    float ppb_a;
    float ppb_b;
    float ppb_c;
    float ntu;

    void reset() override;
};

// Where received lines (kind 0) and frame payloads (kind 1) go; the product
// passes them to dispatch_data.
using Tdata_sink = void (*)(int kind, const unsigned char* bytes, unsigned length);

constexpr unsigned FRAME_MAX_BYTES = 256;     // unstuffed bytes kept of one frame
constexpr unsigned FRAME_HEADER_BYTES = 8;    // payload offset
constexpr unsigned MEASURE_PAYLOAD_BYTES = 36;

// One unstuffed frame.
struct Tframe {
    unsigned char bytes[FRAME_MAX_BYTES];
    unsigned count = 0;
};

// Unstuffs the bytes collected up to a '!' into *frame. Returns true when
// the frame passes every check; *payload_length is then its payload length.
bool unstuff_and_check_frame(const unsigned char* bytes, unsigned length, Tframe* frame,
                             unsigned* payload_length);

// Unstuffs and checks a frame; an accepted frame's payload goes to the sink
// (kind 1). A frame that fails is dropped silently.
void decodeFrame(const unsigned char* bytes, unsigned length, Tdata_sink sink);
void decodeFrame(const unsigned char* bytes, unsigned length);

// Fills the record from one text answer (NUL-terminated, CR LF allowed).
void parse_text_line(Tlumo_sample* record, const char* text);
// Fills the record from a measurement payload. A payload shorter than 36
// bytes leaves every reading undefined.
void parse_frame_payload(Tlumo_sample* record, const unsigned char* payload, unsigned length);
