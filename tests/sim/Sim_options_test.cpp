// The texts that configure the simulator, the breakthrough curve and the COM
// links.
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sim/Breakthrough.h"
#include "sim/Cell_text.h"
#include "sim/Port_link.h"

namespace {

TEST(Cell_text, ReadsTracersAndTurbidityInAnySpelling) {
    struct Tcase {
        const char* text;
        int code;  // 0: turbidity
        double amount;
    };
    const Tcase cases[] = {
        {"uranine=10", tracer::uranine, 10},          {"Uranine = 2.5", tracer::uranine, 2.5},
        {"EOSINE=1e2", tracer::eosine, 100},          {"sulforhodamine=3", tracer::sulforhodamine_b, 3},
        {"SulforhodamineB=4", tracer::sulforhodamine_b, 4}, {"amino-g-acid=5", tracer::amino_g_acid, 5},
        {"naphtionate=6", tracer::naphtionate, 6},    {"6=7", tracer::naphtionate, 7},
        {"turbidity=12", 0, 12},                      {"ntu=0.5", 0, 0.5},
    };
    for (const Tcase& c : cases) {
        SCOPED_TRACE(c.text);
        Tcell cell;
        std::string error;
        ASSERT_TRUE(parse_cell(c.text, cell, error)) << error;
        EXPECT_EQ(c.code ? cell.ppb[c.code] : cell.ntu, c.amount);
    }
}

TEST(Cell_text, MixtureRoundTripsThroughItsDescription) {
    Tcell cell;
    std::string error;
    ASSERT_TRUE(parse_cell("uranine=10, aminogacid=2.5,turbidity=5", cell, error));
    EXPECT_EQ(describe_cell(cell), "uranine=10,aminogacid=2.5,turbidity=5");
    Tcell again;
    ASSERT_TRUE(parse_cell(describe_cell(cell), again, error));
    EXPECT_EQ(again, cell);
    ASSERT_TRUE(parse_cell("water", cell, error));
    EXPECT_EQ(cell, Tcell{});
    EXPECT_EQ(describe_cell(cell), "water");
}

TEST(Cell_text, RejectsUnknownNamesAndBadAmountsAndKeepsTheCell) {
    Tcell cell;
    cell.ntu = 3;
    for (const char* text : {"coffee=3", "uranine", "uranine=-1", "uranine=1,2", "uranine=nan", "turbidity=x",
                             "7=1", "0=1"}) {
        SCOPED_TRACE(text);
        std::string error;
        EXPECT_FALSE(parse_cell(text, cell, error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(cell.ntu, 3);
    }
}

TEST(Breakthrough, RisesToItsPeakAndTailsOff) {
    const Tbreakthrough curve{tracer::eosine, 40.0, 300.0, 10.0};
    const double peak = curve.peak_time_s();
    EXPECT_GT(peak, 0.0);
    EXPECT_LT(peak, curve.transit_s);  // dispersion brings the peak forward
    EXPECT_NEAR(curve.ppb_at(peak), 40.0, 1e-9);
    EXPECT_LT(curve.ppb_at(peak * 0.99), 40.0);
    EXPECT_LT(curve.ppb_at(peak * 1.01), 40.0);
    EXPECT_EQ(curve.ppb_at(0.0), 0.0);
    EXPECT_EQ(curve.ppb_at(-5.0), 0.0);
    EXPECT_LT(curve.ppb_at(10.0), 1e-3);
    EXPECT_LT(curve.ppb_at(5000.0), curve.ppb_at(1000.0));
}

TEST(Breakthrough, ParsesItsOptions) {
    Tbreakthrough curve;
    std::string error;
    ASSERT_TRUE(parse_breakthrough("breakthrough", curve, error));
    EXPECT_EQ(curve.tracer_code, tracer::uranine);
    ASSERT_TRUE(parse_breakthrough("breakthrough:tracer=naphtionate,peak=5,transit=60,peclet=3", curve, error));
    EXPECT_EQ(curve.tracer_code, tracer::naphtionate);
    EXPECT_EQ(curve.peak_ppb, 5.0);
    EXPECT_EQ(curve.transit_s, 60.0);
    EXPECT_EQ(curve.peclet, 3.0);
    for (const char* bad : {"pulse", "breakthrough:tracer=water", "breakthrough:peak=0", "breakthrough:speed=3"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(parse_breakthrough(bad, curve, error));
        EXPECT_EQ(curve.tracer_code, tracer::naphtionate);
    }
}

class Port_link : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumo2_sim_ports_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        base = pattern;
        dir = base + "/nested/ports";
        setenv("LUMO2_PORT_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("LUMO2_PORT_DIR");
        std::system(("rm -rf " + base).c_str());
    }
    std::string base, dir;
};

TEST_F(Port_link, TakesTheFirstFreeNumberFrom200) {
    std::string error;
    EXPECT_EQ(link_com_port("/dev/null", 0, error), 200) << error;
    EXPECT_EQ(link_com_port("/dev/zero", 0, error), 201) << error;
    char target[64] = {};
    ASSERT_GT(readlink((dir + "/COM201").c_str(), target, sizeof target - 1), 0);
    EXPECT_STREQ(target, "/dev/zero");
    unlink_com_port(200, "/dev/null");
    EXPECT_EQ(link_com_port("/dev/full", 0, error), 200);
}

TEST_F(Port_link, ExplicitNumberInUseIsRefusedAndStaleLinksAreTakenOver) {
    std::string error;
    ASSERT_EQ(link_com_port("/dev/null", 7, error), 7);
    EXPECT_EQ(link_com_port("/dev/zero", 7, error), -1);
    EXPECT_NE(error.find("in use"), std::string::npos);
    ASSERT_EQ(symlink("/dev/pts/no-such-terminal", (dir + "/COM200").c_str()), 0);
    EXPECT_EQ(link_com_port("/dev/zero", 0, error), 200);
}

TEST_F(Port_link, UnlinkLeavesAnotherSimulatorsLinkAlone) {
    std::string error;
    ASSERT_EQ(link_com_port("/dev/null", 0, error), 200);
    unlink_com_port(200, "/dev/zero");
    struct stat info;
    EXPECT_EQ(lstat((dir + "/COM200").c_str(), &info), 0);
    unlink_com_port(200, "/dev/null");
    EXPECT_NE(lstat((dir + "/COM200").c_str(), &info), 0);
}

}  // namespace
