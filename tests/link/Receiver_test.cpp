#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Frame_builder.h"
#include "events/Event_resource.h"
#include "link/Lumo2_common.h"

using namespace frame_builder;

namespace {

struct Tdelivery {
    int kind;
    std::string bytes;
    bool operator==(const Tdelivery&) const = default;
};
std::vector<Tdelivery> delivered;

void capture(int kind, const unsigned char* bytes, unsigned length) {
    delivered.push_back({kind, std::string(reinterpret_cast<const char*>(bytes), length)});
}

class Receiver : public ::testing::Test {
protected:
    void SetUp() override {
        delivered.clear();
        common.set_data_sink(capture);
    }
    void TearDown() override { event_queue_reset(); }

    void feed(const std::string& text) {
        for (char c : text)
            common.onRxByte((unsigned char)c);
    }
    void feed(const Tbytes& bytes) {
        for (unsigned char b : bytes)
            common.onRxByte(b);
    }
    void ticks(int count) {
        for (int i = 0; i < count; ++i)
            common.OnEvent(&common.delay->ev_success);
    }

    Tlumo2_common common;
};

std::string as_text(const Tbytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace

TEST_F(Receiver, LinesAreDeliveredWithTheirLineEnds) {
    feed("O 1 2\r\nA 3\n");
    EXPECT_EQ(delivered, (std::vector<Tdelivery>{{0, "O 1 2\r\n"}, {0, "A 3\n"}}));
    EXPECT_EQ(common.rx_line.length(), 0u);
}

TEST_F(Receiver, FrameIsDecodedOnItsClosingByte) {
    const Tbytes payload = {0x7E, 0x0A, 0x24};
    feed(wire(unstuffed(payload)));
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0], (Tdelivery{1, as_text(payload)}));
    EXPECT_EQ(common.frame_mode_ticks, FRAME_WINDOW_TICKS);
}

TEST_F(Receiver, LineWithinTheFrameWindowWaitsForTheWindowToEnd) {
    feed(wire(unstuffed({1})));
    delivered.clear();
    feed("late\r\n");
    EXPECT_TRUE(delivered.empty());
    ticks(FRAME_WINDOW_TICKS - 1);
    feed("x\n");
    EXPECT_TRUE(delivered.empty());
    ticks(1);
    EXPECT_EQ(common.frame_mode_ticks, 0);
    feed("next\n");
    EXPECT_EQ(delivered, (std::vector<Tdelivery>{{0, "late\r\nx\nnext\n"}}));
    ticks(3);
    EXPECT_EQ(common.frame_mode_ticks, 0);
}

TEST_F(Receiver, DollarRestartsTheFrameAndTheWindow) {
    feed("junk $");
    ticks(100);
    feed(wire(unstuffed({5, 6})));
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].bytes, std::string("\x05\x06", 2));
    EXPECT_EQ(common.frame_mode_ticks, FRAME_WINDOW_TICKS);
}

TEST_F(Receiver, FailedFrameIsDroppedAndEmptiesTheLine) {
    Tbytes bad = unstuffed({1, 2});
    bad[0] ^= 0xFF;
    feed(wire(bad));
    EXPECT_TRUE(delivered.empty());
    EXPECT_EQ(common.rx_line.length(), 0u);
}

TEST_F(Receiver, SendDiscardsAPartlyReceivedLine) {
    feed("partial");
    const unsigned char command = 'O';
    EXPECT_TRUE(common.send(&command, 1));  // no port open: rejected
    EXPECT_EQ(common.rx_line.length(), 0u);
    feed("whole\n");
    EXPECT_EQ(delivered, (std::vector<Tdelivery>{{0, "whole\n"}}));
}

TEST_F(Receiver, EndlessStreamStaysBounded) {
    const std::string chunk(4096, 'z');
    for (int i = 0; i < 40; ++i)
        feed(chunk);
    EXPECT_LE(common.rx_line.length(), RX_LINE_LIMIT);
    feed("\n");
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_LE(delivered[0].bytes.size(), RX_LINE_LIMIT);
    EXPECT_EQ(delivered[0].bytes.back(), '\n');
}
