#include <cerrno>
#include <cmath>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include "sim/Sim_wire.h"
#include "sim/Zeta_simulator.h"

using namespace sim_wire;

namespace {

// The decoding resolution of a text word is 1.49e-4 mV.
constexpr double WORD_TOLERANCE_MV = 1e-4;

class Simulator : public ::testing::Test {
protected:
    void SetUp() override {
        sim.set_delay_ms(0);
        sim.set_cell(cell);
        ASSERT_TRUE(sim.start());
        fd = open_slave(sim.slave_path());
        ASSERT_GE(fd, 0);
    }
    void TearDown() override {
        if (fd >= 0) close(fd);
    }
    std::string ask(unsigned char request, char end = '\n') {
        send(fd, std::string(1, char(request)));
        return read_until(fd, end);
    }

    Tcell cell = [] {
        Tcell c;
        c.ppb[tracer::uranine] = 12.5;
        c.ppb[tracer::sulforhodamine_b] = 3.0;
        c.ppb[tracer::amino_g_acid] = 40.0;
        c.ntu = 7.0;
        return c;
    }();
    Tzeta_simulator sim;
    int fd = -1;
};

TEST_F(Simulator, TextAnswerCarriesTheLitLampsThenBatteryAndTemperature) {
    const Tzeta_reading expected = sim.expected_reading(cell);
    for (unsigned mask = 0; mask < 16; ++mask) {
        SCOPED_TRACE(mask);
        const std::string line = ask(0x40 + mask);
        ASSERT_GE(line.size(), 2u);
        EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
        const auto t = tokens(line);
        const int lamps = std::popcount(mask);
        ASSERT_EQ(t.size(), 5u + 4u * lamps);
        EXPECT_EQ(t[0], std::string(1, char(0x40 + mask)));
        std::size_t p = 1;
        for (int lamp = 0; lamp < LAMP_COUNT; ++lamp) {
            if (!(mask & (1u << lamp))) continue;
            EXPECT_NEAR(word_mv(t[p], t[p + 1]), expected.off_mv[lamp], WORD_TOLERANCE_MV);
            EXPECT_NEAR(word_mv(t[p + 2], t[p + 3]), expected.on_mv(lamp), WORD_TOLERANCE_MV);
            p += 4;
        }
        EXPECT_NEAR(word_mv(t[p], t[p + 1]) * 6.53 * 0.0009286775631500744, expected.battery_v, 1e-6);
        EXPECT_NEAR(word_mv(t[p + 2], t[p + 3]) * 0.1, expected.temperature_c, 1e-5);
    }
}

TEST_F(Simulator, TimedTextAnswerHasThreeTokensAfterTheLetter) {
    sim.set_form(Tanswer_form::text_time);
    const auto t = tokens(ask('E'));
    ASSERT_EQ(t.size(), 8u + 4u * 2u);
    EXPECT_EQ(t[1].size(), 8u);
    EXPECT_EQ(t[1][2], ':');
    EXPECT_NEAR(word_mv(t[4], t[5]), sim.expected_reading(cell).off_mv[0], WORD_TOLERANCE_MV);
}

TEST_F(Simulator, FrameIsCheckedStuffedAndCarriesNineFloats) {
    sim.set_form(Tanswer_form::frame);
    const Tzeta_reading expected = sim.expected_reading(cell);
    for (unsigned char request : {'O', 'C', '@'}) {
        SCOPED_TRACE(request);
        const std::string wire = ask(request, '!');
        ASSERT_FALSE(wire.empty());
        EXPECT_EQ(wire.front(), '$');
        EXPECT_EQ(wire.back(), '!');
        const auto body = unstuff(wire);
        ASSERT_EQ(body.size(), 45u);
        EXPECT_TRUE(checksum_ok(body));
        EXPECT_EQ(body[3], 0x22);
        EXPECT_EQ(body[4], 0x41);
        EXPECT_EQ(body[5], 0x15);
        EXPECT_EQ(body[6], 36);
        EXPECT_EQ(body[7] & 0x3F, 0x20);
        // Every lamp's delta, also of the lamps not asked for.
        for (int lamp = 0; lamp < LAMP_COUNT; ++lamp) {
            EXPECT_EQ(big_endian_float(body, 8 + 4 * lamp), float(expected.delta_mv[lamp]));
            EXPECT_EQ(big_endian_float(body, 28 + 4 * lamp), float(expected.off_mv[lamp]));
        }
        EXPECT_EQ(big_endian_float(body, 24), float(expected.temperature_c));
    }
}

TEST(Frame, StuffingRoundTripsTheThreeSpecialBytes) {
    // Floats whose big-endian bytes hold 0x24, 0x21 and 0x7E.
    Tzeta_reading r;
    r.delta_mv = {std::bit_cast<float>(0x24217E00u), std::bit_cast<float>(0x7E7E2424u), 1.0, 2.0};
    r.off_mv = {std::bit_cast<float>(0x21212121u), 3.0, 4.0, 5.0};
    for (unsigned sequence : {0x24u, 0x21u, 0x7Eu, 0x00u}) {
        const auto body = frame_body(r, sequence);
        const std::string wire = stuff_frame(body);
        EXPECT_EQ(wire.substr(1, wire.size() - 2).find_first_of("$!"), std::string::npos);
        EXPECT_EQ(unstuff(wire), body);
        EXPECT_TRUE(checksum_ok(body));
    }
}

TEST_F(Simulator, IgnoresBytesOutsideTheRequestRangeAndAnswersInOrder) {
    send(fd, std::string("\x00\x3F\x50xyz\n", 7) + "AH");
    const auto answers = read_lines(fd, 2);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(tokens(answers[0]).at(0), "A");
    EXPECT_EQ(tokens(answers[1]).at(0), "H");
    EXPECT_EQ(read_for(fd, 200), "");
    const Tsim_counters seen = sim.requests_seen();
    EXPECT_EQ(seen.requests, 2u);
    EXPECT_EQ(seen.ignored_bytes, 7u);
    EXPECT_EQ(seen.by_mask[1], 1u);
    EXPECT_EQ(seen.by_mask[8], 1u);
}

TEST_F(Simulator, AnswerWaitsForTheDelay) {
    sim.set_delay_ms(300);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ask('O').empty());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(290));
}

TEST_F(Simulator, GarbageComesAsAJunkLineBeforeTheAnswer) {
    sim.inject({Tfault_kind::garbage, 20});
    send(fd, "O");
    const auto lines = read_lines(fd, 2);
    ASSERT_EQ(lines.size(), 2u);
    ASSERT_EQ(lines[0].size(), 22u);
    EXPECT_EQ(lines[0].substr(0, 20).find_first_of("\r\n$!~"), std::string::npos);
    EXPECT_EQ(tokens(lines[1]).size(), 5u + 16u);
}

TEST_F(Simulator, BadChecksumFrameFailsTheRule) {
    sim.inject({Tfault_kind::bad_checksum});
    const auto body = unstuff(ask('O', '!'));
    ASSERT_EQ(body.size(), 45u);
    EXPECT_FALSE(checksum_ok(body));
    EXPECT_EQ(body[3], 0x22);
}

TEST_F(Simulator, TruncatedAnswerStopsHalfWayWithoutItsEnd) {
    for (Tanswer_form form : {Tanswer_form::text, Tanswer_form::frame}) {
        sim.set_form(form);
        sim.inject({Tfault_kind::truncated});
        send(fd, "O");
        const std::string cut = read_for(fd, 200);
        ASSERT_FALSE(cut.empty());
        EXPECT_EQ(cut.find_first_of(form == Tanswer_form::text ? "\n" : "!"), std::string::npos);
        const std::string whole = ask('O', form == Tanswer_form::text ? '\n' : '!');
        EXPECT_EQ(cut.size(), whole.size() / 2);
    }
}

TEST_F(Simulator, NoAnswerCountsTheRequestButSendsNothing) {
    sim.inject({Tfault_kind::no_answer});
    send(fd, "O");
    EXPECT_EQ(read_for(fd, 200), "");
    EXPECT_EQ(sim.requests_seen().requests, 1u);
    EXPECT_EQ(sim.requests_seen().answers, 0u);
    EXPECT_FALSE(ask('O').empty());
}

TEST_F(Simulator, BurstHasNoLineOrFrameEnd) {
    sim.inject({Tfault_kind::burst, 3000});
    send(fd, "O");
    std::string burst;
    for (int i = 0; i < 20 && burst.size() < 3000; ++i) burst += read_for(fd, 100);
    EXPECT_EQ(burst.size(), 3000u);
    EXPECT_EQ(burst.find_first_of("\n$!"), std::string::npos);
}

TEST_F(Simulator, DisconnectHangsUpTheSlave) {
    sim.inject({Tfault_kind::disconnect});
    pollfd in = {fd, POLLIN, 0};
    ASSERT_EQ(poll(&in, 1, 2000), 1);
    EXPECT_TRUE(in.revents & POLLHUP);
    char byte = 'O';
    EXPECT_EQ(write(fd, &byte, 1), -1);
    EXPECT_EQ(errno, EIO);
    for (int i = 0; i < 100 && sim.running(); ++i) usleep(10000);
    EXPECT_FALSE(sim.running());
}

TEST_F(Simulator, StopHangsUpTheSlave) {
    sim.stop();
    pollfd in = {fd, POLLIN, 0};
    ASSERT_EQ(poll(&in, 1, 2000), 1);
    EXPECT_TRUE(in.revents & POLLHUP);
}

TEST_F(Simulator, SeededNoiseRepeats) {
    const auto line_with_seed = [this](std::uint32_t seed) {
        sim.set_noise(0.5, seed);
        return ask('O');
    };
    const std::string first = line_with_seed(7);
    EXPECT_EQ(line_with_seed(7), first);
    EXPECT_NE(line_with_seed(8), first);
    EXPECT_NE(first, (sim.set_noise(0, 1), ask('O')));
}

}  // namespace

namespace {

TEST_F(Simulator, BreakthroughAddsItsTracerToTheCellOverTime) {
    sim.set_scenario({tracer::eosine, 50.0, 0.2, 20.0});  // peaks within a fraction of a second
    const double before = sim.cell_now().ppb[tracer::eosine];
    usleep(180000);
    const double near_peak = sim.cell_now().ppb[tracer::eosine];
    EXPECT_LT(before, near_peak);
    EXPECT_GT(near_peak, 1.0);
    EXPECT_LE(near_peak, 50.0);
    EXPECT_EQ(sim.cell_now().ppb[tracer::uranine], cell.ppb[tracer::uranine]);
    sim.clear_scenario();
    EXPECT_EQ(sim.cell_now(), cell);
}

}  // namespace
