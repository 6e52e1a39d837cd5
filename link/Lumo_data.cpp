#include "link/Lumo_data.h"

#include "app/Gui.h"
#include "events/Lib_cpp.h"

Tlumo_measure::Tlumo_measure() { Tlumo_measure::reset(); }

void Tlumo_measure::reset() {
    const float missing = undefined_float();
    ppb_a = missing;
    ppb_b = missing;
    ppb_c = missing;
    ntu = missing;
    Tlumo_sample::reset();
}

bool unstuff_and_check_frame(const unsigned char*, unsigned, Tframe* frame, unsigned* payload_length) {
    frame->count = 0;
    *payload_length = 0;
    return false;
}

void decodeFrame(const unsigned char* bytes, unsigned length, Tdata_sink sink) {
    Tframe frame;
    unsigned payload_length = 0;
    if (unstuff_and_check_frame(bytes, length, &frame, &payload_length) && sink)
        sink(1, frame.bytes + FRAME_HEADER_BYTES, payload_length);
}

void decodeFrame(const unsigned char* bytes, unsigned length) { decodeFrame(bytes, length, dispatch_data); }

void parse_text_line(Tlumo_sample* record, const char*) { record->reset(); }

void parse_frame_payload(Tlumo_sample* record, const unsigned char*, unsigned) { record->reset(); }
