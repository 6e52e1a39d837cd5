// The calibration constants reader on arbitrary bytes; constants it accepts
// then convert a few signals.
#include "fuzz/Fuzz_file.h"
#include "view/Vorn_lumo.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Tvorn_lumo constants;
    if (constants.getcalib(fuzz_file(data, size)) != 0)
        return 0;
    const double signals[] = {0.0, 1.0, 250.0, -3.0, 1e30};
    for (double s : signals) {
        conversion_record record;
        for (int lamp = 0; lamp < 3; ++lamp) {
            record.signal[lamp] = s + lamp;
            record.has_signal[lamp] = 1;
        }
        record.signal_t = s;
        record.has_t = 1;
        constants.convert(&record);
    }
    return 0;
}
