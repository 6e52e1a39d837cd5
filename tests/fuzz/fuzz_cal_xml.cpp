// The calibration XML file loaded as the calibration window loads it, then
// the constants computed from whatever samples it gave.
#include "calibration/Lumo2_cal_master.h"
#include "fuzz/Fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Tlumo2_cal_master master;
    master.load_xml(fuzz_file(data, size));
    Tmy_string text;
    master.calculate(&text);
    return 0;
}
