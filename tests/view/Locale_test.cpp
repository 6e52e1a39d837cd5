#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "link/Lumo_data.h"
#include "support/Temp_dir.h"
#include "view/Legacy_calibration.h"
#include "view/Measure_table.h"
#include "view/Vorn_lumo.h"

namespace {

// Runs with the user's locale set to French, whose decimal separator is a
// comma; restores the C locale afterwards.
class French_locale : public testing::Test {
protected:
    void SetUp() override
    {
        file_text = Tlegacy_calibration().text();
        dir.write("constants.txt", file_text);
        // The POSIX and the Windows name of the locale.
        if (!std::setlocale(LC_ALL, "fr_FR.UTF-8") && !std::setlocale(LC_ALL, "French_France.1252"))
            GTEST_SKIP() << "no French locale is installed";
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    int load(Tvorn_lumo* constants) { return constants->getcalib(dir.file("constants.txt").c_str()); }

    std::string file_text;
    Ttemp_dir dir;
};

struct Tresults {
    double ppb[4][3];
    double ntu;
};

Tresults conversions(const Tvorn_lumo& constants)
{
    Tresults results{};
    const unsigned char lamps[4][3] = {{1, 0, 0}, {1, 1, 0}, {0, 1, 1}, {1, 1, 1}};
    for (int i = 0; i < 4; ++i) {
        conversion_record record;
        for (int lamp = 0; lamp < 3; ++lamp) {
            record.has_signal[lamp] = lamps[i][lamp];
            record.signal[lamp] = 40.5 + lamp;
        }
        record.has_t = 1;
        record.signal_t = 27.25;
        constants.convert(&record);
        for (int lamp = 0; lamp < 3; ++lamp) results.ppb[i][lamp] = record.ppb[lamp];
        results.ntu = record.ntu;
    }
    return results;
}

TEST_F(French_locale, ConstantsAndConversionsAreThoseOfTheCLocale)
{
    Tvorn_lumo french;
    ASSERT_EQ(load(&french), 0);
    Tresults french_results = conversions(french);

    std::setlocale(LC_ALL, "C");
    Tvorn_lumo c_locale;
    ASSERT_EQ(load(&c_locale), 0);
    Tresults c_results = conversions(c_locale);

    EXPECT_EQ(french.ssss, c_locale.ssss);
    EXPECT_EQ(french.denom, c_locale.denom);
    EXPECT_EQ(french.cpc2, c_locale.cpc2);
    for (int m = 0; m < 3; ++m)
        for (int d = 0; d < 3; ++d) {
            EXPECT_EQ(french.coef[m][d], c_locale.coef[m][d]);
            EXPECT_EQ(french.coftu[m][d], c_locale.coftu[m][d]);
        }
    EXPECT_EQ(french.c0, c_locale.c0);
    for (int i = 0; i < 4; ++i)
        for (int lamp = 0; lamp < 3; ++lamp) EXPECT_EQ(french_results.ppb[i][lamp], c_results.ppb[i][lamp]);
    EXPECT_EQ(french_results.ntu, c_results.ntu);
}

// The program keeps LC_NUMERIC at "C" whatever else the user's locale says.
TEST_F(French_locale, SavedTableUsesPointsAsTheProgramRuns)
{
    std::setlocale(LC_NUMERIC, "C");
    Tmeasure_table table;
    Tlumo_measure m;
    m.timestamp = 1607337600;
    m.delta[LAMP_A] = 12.345f;
    m.temperature = 18.52f;
    table.table_add(&m);
    std::string text;
    table.table_text(&text);
    EXPECT_NE(text.find("1607337600;07.12.2020 10:40:00;0;12.345;-;-;-;18.52;-;-;-;-;\r\n"), std::string::npos);
}

}  // namespace
