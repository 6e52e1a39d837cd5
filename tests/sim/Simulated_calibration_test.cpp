#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "events/My_string.h"
#include "link/Lumo_data.h"
#include "sim/Simulated_calibration.h"
#include "sim/Zeta_model.h"
#include "view/Vorn_lumo.h"

namespace {

// The constants a screenshot loads: valid, and converting what the simulated
// instrument reads of a mixture back to it.
TEST(Simulated_calibration, ConstantsLoadAndConvertAMixtureBack)
{
    Tmy_string text;
    ASSERT_TRUE(simulated_constants(&text));
    const std::string path = testing::TempDir() + "simulated_constants.dat";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(text.c_str(), 1, text.length(), file);
    std::fclose(file);
    Tvorn_lumo constants;
    ASSERT_EQ(constants.getcalib(path.c_str()), 0);
    std::remove(path.c_str());
    EXPECT_STREQ(constants.dyename[1].c_str(), "Uranine");

    Tcell mixture;
    mixture.ppb[tracer::uranine] = 30;
    mixture.ppb[tracer::amino_g_acid] = 4;
    mixture.ntu = 5;
    const Tzeta_reading reading = Tzeta_model().reading(mixture);
    conversion_record record;
    for (int lamp = 0; lamp < 3; ++lamp) {
        record.signal[lamp] = reading.delta_mv[lamp];
        record.has_signal[lamp] = 1;
    }
    record.signal_t = reading.delta_mv[LAMP_T];
    record.has_t = 1;
    constants.convert(&record);
    EXPECT_NEAR(record.ppb[0], 30, 0.6);
    EXPECT_NEAR(record.ppb[1], 0, 0.1);
    EXPECT_NEAR(record.ppb[2], 4, 0.1);
    EXPECT_NEAR(record.ntu, 5, 0.1);
}

}  // namespace
