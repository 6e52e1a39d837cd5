#include <gtest/gtest.h>

#include <ostream>
#include <cmath>
#include <string>

#include "support/Temp_dir.h"
#include "view/Legacy_calibration.h"
#include "view/Poly_fit.h"
#include "view/Vorn_lumo.h"

namespace {

class Getcalib : public testing::Test {
protected:
    int load(const Tlegacy_calibration& file) { return load_text(file.text()); }
    int load_text(const std::string& text)
    {
        dir.write("constants.txt", text);
        constants.clear();
        return constants.getcalib(dir.file("constants.txt").c_str());
    }

    Ttemp_dir dir;
    Tvorn_lumo constants;
};

TEST_F(Getcalib, GoodFileGivesTheDerivedConstants)
{
    ASSERT_EQ(load(Tlegacy_calibration()), 0);
    EXPECT_EQ(constants.valid, 1);
    EXPECT_STREQ(constants.model.c_str(), "ZETA-QX1");
    EXPECT_STREQ(constants.serial.c_str(), "#1234");
    EXPECT_STREQ(constants.dyename[0].c_str(), "Eau");
    EXPECT_STREQ(constants.dyename[2].c_str(), "SulforhodamineB");
    EXPECT_STREQ(constants.dyename[6].c_str(), "100");
    EXPECT_EQ(constants.nlamp, 4);
    EXPECT_DOUBLE_EQ(constants.ssss, 100);
    EXPECT_DOUBLE_EQ(constants.water(3), 10);
    EXPECT_DOUBLE_EQ(constants.signal(2, 6), 107);
    EXPECT_DOUBLE_EQ(constants.condcal, 1.0);
    EXPECT_DOUBLE_EQ(constants.cpc2, -0.0001);
    EXPECT_DOUBLE_EQ(constants.condnl[2], 0.0019);

    const double c[9] = {constants.c11, constants.c12, constants.c13, constants.c21, constants.c22,
                         constants.c23, constants.c31, constants.c32, constants.c33};
    const double expected_c[9] = {100, 3, 1, 10, 200, 5, 2, 10, 50};
    for (int i = 0; i < 9; ++i) EXPECT_DOUBLE_EQ(c[i], expected_c[i]) << i;
    // det = 100*9950 - 3*490 + 1*(100 - 400), over ssss.
    EXPECT_NEAR(constants.denom, 9932.3, 1e-9);
    EXPECT_NEAR(constants.den12, 199.7, 1e-12);
    EXPECT_NEAR(constants.den23, 99.5, 1e-12);
    EXPECT_NEAR(constants.den31, 49.98, 1e-12);

    // Net lamp T 2, 20, 200 mV for 1, 10, 100 NTU: log10(NTU) = L - log10(2).
    EXPECT_NEAR(constants.c0, -std::log10(2.0), 1e-9);
    EXPECT_NEAR(constants.c1, 1, 1e-9);
    EXPECT_NEAR(constants.c2, 0, 1e-9);
    const double interference[3][3] = {{-std::log10(2.0), 1, 0}, {0, 1, 0}, {-std::log10(2.0), 1, 0}};
    for (int m = 0; m < 3; ++m)
        for (int d = 0; d < 3; ++d) EXPECT_NEAR(constants.coftu[m][d], interference[m][d], 1e-9) << m << d;

    // Two lines per tracer: straight lines in log-log space.
    const double net_at_10ppb[3] = {10, 20, 5};
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(constants.poldeg[m], 1);
        EXPECT_NEAR(constants.coef[m][1], 1, 1e-9);
        EXPECT_NEAR(constants.coef[m][0], -8 - std::log10(net_at_10ppb[m]), 1e-9);
    }
}

TEST_F(Getcalib, UndefinedModelFileReadsTheSameConstants)
{
    Tlegacy_calibration file;
    file.model_words = "";
    ASSERT_EQ(load(file), 0);
    EXPECT_STREQ(constants.model.c_str(), "");
    EXPECT_STREQ(constants.serial.c_str(), "#1234");
    EXPECT_DOUBLE_EQ(constants.c22, 200);
    EXPECT_DOUBLE_EQ(constants.ssss, 100);
    EXPECT_EQ(constants.nlamp, 4);
}

TEST_F(Getcalib, LongNamesAreKeptWhole)
{
    Tlegacy_calibration file;
    file.names[0] = "XXXXXX_traceur_undefined";
    ASSERT_EQ(load(file), 0);
    EXPECT_STREQ(constants.dyename[1].c_str(), "XXXXXX_traceur_undefined");
    EXPECT_STREQ(constants.dyename[2].c_str(), "SulforhodamineB");
}

TEST_F(Getcalib, NoPathOrNoFile)
{
    constants.clear();
    EXPECT_EQ(constants.getcalib(nullptr), 1);
    EXPECT_EQ(constants.getcalib(""), 1);
    EXPECT_EQ(constants.getcalib(dir.file("missing.txt").c_str()), 2);
    EXPECT_EQ(constants.getcalib(dir.path.c_str()), 2);
    EXPECT_EQ(constants.valid, 0);
}

TEST_F(Getcalib, CalibrationLineCountBeyondTheFileEndsTheLoad)
{
    std::string text = Tlegacy_calibration().text();
    const size_t count_line = text.rfind("\r\n", text.find("Number of calibration lines")) + 2;
    text.resize(count_line);
    text.append("2000000000      Number of calibration lines\r\n-8 15.00\r\n");
    EXPECT_NE(load_text(text) & 64, 0);
    EXPECT_EQ(constants.valid, 0);
}

struct Terror_case {
    const char* name;
    void (*spoil)(Tlegacy_calibration* file);
    int expected;
};
void PrintTo(const Terror_case& c, std::ostream* out) { *out << c.name; }

class Getcalib_errors : public Getcalib, public testing::WithParamInterface<Terror_case> {};

TEST_P(Getcalib_errors, SetsItsBitAndLeavesConstantsInvalid)
{
    Tlegacy_calibration file;
    GetParam().spoil(&file);
    EXPECT_EQ(load(file), GetParam().expected);
    EXPECT_EQ(constants.valid, GetParam().expected == 0 ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Files, Getcalib_errors,
    testing::Values(
        Terror_case{"CalibrationLineAtWater", [](Tlegacy_calibration* f) { f->lines[1][0].second = 6; }, 4},
        Terror_case{"FiveLampsAccepted", [](Tlegacy_calibration* f) { f->lamp_count = "5"; }, 0},
        Terror_case{"OneLamp", [](Tlegacy_calibration* f) { f->lamp_count = "1"; }, 8},
        Terror_case{"SixLamps", [](Tlegacy_calibration* f) { f->lamp_count = "6"; }, 8},
        Terror_case{"TurbidityStandardAtWater", [](Tlegacy_calibration* f) { f->ntu[0][3] = 10; }, 16},
        Terror_case{"InterferenceAtWater", [](Tlegacy_calibration* f) { f->ntu[1][2] = 7; }, 32},
        // The unread concentration keeps its zero: nothing can be derived either.
        Terror_case{"MalformedNumber", [](Tlegacy_calibration* f) { f->concentration = "x100"; }, 64 | 256},
        Terror_case{"ZeroConcentration", [](Tlegacy_calibration* f) { f->concentration = "0.0"; }, 256},
        Terror_case{"EqualCalibrationLines", [](Tlegacy_calibration* f) { f->lines[2][1].second = 12; }, 256},
        Terror_case{"FourCalibrationLines",
                    [](Tlegacy_calibration* f) {
                        f->lines[0] = {{"-9", 6}, {"-8", 15}, {"-7.5", 40}, {"-7", 105}};
                    },
                    128},
        Terror_case{"EqualTurbidityStandards", [](Tlegacy_calibration* f) { f->ntu[1][3] = f->ntu[0][3]; }, 256},
        Terror_case{"UndefinedConstant",
                    [](Tlegacy_calibration* f) { f->tracer[0][0] = 1.7976931348623157e308; }, 256},
        Terror_case{"SeveralAtOnce",
                    [](Tlegacy_calibration* f) {
                        f->lamp_count = "0";
                        f->ntu[0][0] = 5;
                    },
                    8 | 32}),
    [](const testing::TestParamInfo<Terror_case>& info) { return std::string(info.param.name); });

TEST_F(Getcalib, TruncatedFileIsUnreadable)
{
    std::string text = Tlegacy_calibration().text();
    EXPECT_EQ(load_text(text.substr(0, text.find("Number of lamps"))) & 64, 64);
    EXPECT_EQ(constants.valid, 0);
    EXPECT_EQ(load_text("") & 64, 64);
}

TEST_F(Getcalib, FailedLoadAfterGoodOneIsNotValid)
{
    ASSERT_EQ(load(Tlegacy_calibration()), 0);
    Tlegacy_calibration file;
    file.concentration = "many";
    EXPECT_EQ(load(file), 64);
    EXPECT_EQ(constants.valid, 0);
    EXPECT_STREQ(constants.model.c_str(), "ZETA-QX1");
}

TEST_F(Getcalib, OneOrNoCalibrationLineGivesDegreeZero)
{
    Tlegacy_calibration file;
    file.lines[0] = {{"-7", 105}};
    file.lines[2] = {};
    ASSERT_EQ(load(file), 0);
    EXPECT_EQ(constants.poldeg[0], 0);
    EXPECT_EQ(constants.poldeg[1], 1);
    EXPECT_EQ(constants.poldeg[2], 0);
    EXPECT_EQ(constants.nlamp, 4);
    EXPECT_DOUBLE_EQ(constants.ssss, 100);
}

TEST_F(Getcalib, ThreeCalibrationLinesInterpolate)
{
    Tlegacy_calibration file;
    file.lines[0] = {{"-8", 15}, {"-7.5", 45}, {"-7", 105}};
    ASSERT_EQ(load(file), 0);
    ASSERT_EQ(constants.poldeg[0], 2);
    for (const auto& [exponent, mv] : file.lines[0]) {
        double l = std::log10(mv - 5);
        double y = constants.coef[0][0] + constants.coef[0][1] * l + constants.coef[0][2] * l * l;
        EXPECT_NEAR(y, std::stod(exponent), 1e-9);
    }
}

TEST(Fit_polynomial, RecoversAQuadratic)
{
    const double x[3] = {-1, 0.5, 2};
    double y[3];
    for (int i = 0; i < 3; ++i) y[i] = 1 + 2 * x[i] + 3 * x[i] * x[i];
    double cof[3];
    EXPECT_TRUE(fit_polynomial(x, y, 3, cof));
    EXPECT_NEAR(cof[0], 1, 1e-12);
    EXPECT_NEAR(cof[1], 2, 1e-12);
    EXPECT_NEAR(cof[2], 3, 1e-12);

    const double line_x[2] = {1, 3};
    const double line_y[2] = {5, 9};
    EXPECT_TRUE(fit_polynomial(line_x, line_y, 2, cof));
    EXPECT_NEAR(cof[0], 3, 1e-12);
    EXPECT_NEAR(cof[1], 2, 1e-12);

    const double equal_x[3] = {0.30103, 0.30103, 2.30103};
    EXPECT_FALSE(fit_polynomial(equal_x, y, 3, cof));
}

}  // namespace
