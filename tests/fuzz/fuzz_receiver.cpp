// The receive state machine, the frame decoder and both answer parsers fed
// an arbitrary byte stream. A byte 0xFF stands for one 100 ms tick passing,
// so that frame windows open and close inside one input.
#include <cstdint>
#include <cstring>
#include <string>

#include "link/Lumo2_common.h"
#include "link/Lumo_data.h"

namespace {

void parse_both(int kind, const unsigned char* bytes, unsigned length) {
    Tlumo_measure record;
    if (kind == 1) {
        parse_frame_payload(&record, bytes, length);
    } else {
        const std::string line(reinterpret_cast<const char*>(bytes), length);
        parse_text_line(&record, line.c_str());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Tlumo2_common* common = [] {
        auto* made = new Tlumo2_common;
        made->set_data_sink(parse_both);
        return made;
    }();
    common->rx_line.clear();
    common->frame_mode_ticks = 0;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && common->frame_mode_ticks > 0)
            --common->frame_mode_ticks;
        else
            common->onRxByte(data[i]);
    }
    decodeFrame(data, unsigned(size), parse_both);
    parse_both(0, data, unsigned(size));
    parse_both(1, data, unsigned(size));
    return 0;
}
