#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Frame_builder.h"
#include "events/Lib_cpp.h"
#include "link/Lumo_data.h"

using namespace frame_builder;

namespace {

struct Tdelivery {
    int kind;
    Tbytes bytes;
};
std::vector<Tdelivery> delivered;

void capture(int kind, const unsigned char* bytes, unsigned length) {
    delivered.push_back({kind, Tbytes(bytes, bytes + length)});
}

void decode(const Tbytes& bytes) {
    delivered.clear();
    decodeFrame(bytes.data(), unsigned(bytes.size()), capture);
}

Tbytes concat(std::initializer_list<Tbytes> parts) {
    Tbytes out;
    for (const Tbytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

const float UNDEF = 3.4028235e38f;

}  // namespace

TEST(DecodeFrame, StuffedBytesComeBackAsSent) {
    const Tbytes payload = {0x7E, 0x24, 0x21, 0x00, 0x41};
    decode(wire(unstuffed(payload)));
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].kind, 1);
    EXPECT_EQ(delivered[0].bytes, payload);
}

TEST(DecodeFrame, FramingCases) {
    const Tbytes payload = {1, 2, 3};
    const Tbytes good = wire(unstuffed(payload));
    struct Tcase {
        const char* name;
        Tbytes bytes;
        bool accepted;
    } cases[] = {
        {"a second '$' discards what came before", concat({{'$', 9, 9, 9, 9}, good}), true},
        {"bytes after '!' are ignored", concat({good, {0x55, 0x66, '!'}}), true},
        {"'~' before '$' is no escape", concat({{'$', 1, 2, 0x7E}, good}), true},
        {"a frame cut short", Tbytes(good.begin(), good.begin() + 6), false},
        {"nothing but '$!'", {'$', '!'}, false},
        {"empty input", {}, false},
    };
    for (const Tcase& c : cases) {
        decode(c.bytes);
        ASSERT_EQ(delivered.size(), c.accepted ? 1u : 0u) << c.name;
        if (c.accepted) {
            EXPECT_EQ(delivered[0].bytes, payload) << c.name;
        }
    }
}

TEST(DecodeFrame, RejectsBadChecksumAndFixedBytes) {
    const Tbytes payload = {1, 2, 3};
    for (unsigned offset : {0u, 3u, 4u, 5u, 7u}) {
        Tbytes frame = unstuffed(payload);
        frame[offset] += 1;
        if (offset != 0)
            frame[0] -= 1;  // keep the checksum right: only the fixed byte is wrong
        decode(wire(frame));
        EXPECT_TRUE(delivered.empty()) << "offset " << offset;
    }
    // The top two bits of offset 7 are free.
    for (unsigned char type : {0x60, 0xA0, 0xE0}) {
        Tbytes frame = unstuffed(payload);
        frame[0] -= type - frame[7];
        frame[7] = type;
        decode(wire(frame));
        EXPECT_EQ(delivered.size(), 1u) << int(type);
    }
}

TEST(DecodeFrame, NeverReadsPastWhatItHolds) {
    // A checksum span longer than the frame.
    Tbytes long_span = unstuffed({1, 2, 3}, 3);
    long_span[2] = 200;
    decode(wire(long_span));
    EXPECT_TRUE(delivered.empty());
    // A declared payload longer than the bytes received.
    Tbytes long_payload = unstuffed({1, 2, 3});
    long_payload[6] = 40;
    long_payload[0] -= 37;
    decode(wire(long_payload));
    EXPECT_TRUE(delivered.empty());
}

TEST(DecodeFrame, KeepsTheFirst256UnstuffedBytes) {
    Tbytes payload(248, 0x11);
    Tbytes frame = unstuffed(payload);
    Tbytes longer(frame.size() + 20, 0x22);  // beyond 256: dropped
    std::copy(frame.begin(), frame.end(), longer.begin());
    decode(wire(longer));
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].bytes, payload);
}

TEST(ParseFramePayload, ReadsNineBigEndianFloats) {
    const float deltas[4] = {1.5f, -2.25f, 100.0f, 0.125f};
    const float offs[4] = {10.0f, 20.5f, 30.25f, 40.0f};
    const Tbytes payload = measurement(deltas, 12.75f, offs);
    Tlumo_measure m;
    parse_frame_payload(&m, payload.data(), unsigned(payload.size()));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(m.delta[i], deltas[i]);
        EXPECT_EQ(m.lamp[i].off, offs[i]);
        EXPECT_EQ(m.lamp[i].on, offs[i] + deltas[i]);
    }
    EXPECT_EQ(m.temperature, 12.75f);
    EXPECT_EQ(m.vbat, UNDEF);
}

TEST(ParseFramePayload, ShortPayloadLeavesEverythingUndefined) {
    const float four[4] = {1, 2, 3, 4};
    const Tbytes payload = measurement(four, 5, four);
    Tlumo_measure m;
    m.ppb_a = 1;
    parse_frame_payload(&m, payload.data(), 35);
    EXPECT_EQ(m.lamp[0].off, UNDEF);
    EXPECT_EQ(m.delta[3], UNDEF);
    EXPECT_EQ(m.temperature, UNDEF);
    EXPECT_EQ(m.ppb_a, UNDEF);
}

TEST(ParseTextLine, TokenLayouts) {
    // One unit of the high word is 9.765625 mV.
    const float unit = 9.765625f;
    struct Tcase {
        const char* line;
        float a_off, a_on, t_off, t_on, vbat_mv, temp_mv;
    } cases[] = {
        {"O 1 0 2 0 0 0 0 0 0 0 0 0 3 0 4 0 5 0 6 0\r\n", unit, 2 * unit, 3 * unit, 4 * unit, 5 * unit, 6 * unit},
        {"  A   1 0  2 0   5 0 6 0  ", unit, 2 * unit, UNDEF, UNDEF, 5 * unit, 6 * unit},
        {"O 12:34:56 x y 1 0 2 0 0 0 0 0 0 0 0 0 3 0 4 0 5 0 6 0", unit, 2 * unit, 3 * unit, 4 * unit, 5 * unit,
         6 * unit},
        {"@ 5 0 6 0", UNDEF, UNDEF, UNDEF, UNDEF, 5 * unit, 6 * unit},
        {"H 1 0 2 0 7 0", UNDEF, UNDEF, UNDEF, UNDEF, unit, 2 * unit},  // lamp T announced, too few tokens
    };
    for (const Tcase& c : cases) {
        Tlumo_measure m;
        parse_text_line(&m, c.line);
        SCOPED_TRACE(c.line);
        EXPECT_EQ(m.lamp[LAMP_A].off, c.a_off);
        EXPECT_EQ(m.lamp[LAMP_A].on, c.a_on);
        EXPECT_EQ(m.lamp[LAMP_T].off, c.t_off);
        EXPECT_EQ(m.lamp[LAMP_T].on, c.t_on);
        if (c.vbat_mv != UNDEF) {
            EXPECT_FLOAT_EQ(m.vbat, float(c.vbat_mv * 6.53 * 0.0009286775631500744));
            EXPECT_FLOAT_EQ(m.temperature, float(c.temp_mv * 0.1));
        }
    }
}

TEST(ParseTextLine, InterleavedValuesAndDeltas) {
    Tlumo_measure m;
    // Mask 'C' = 0x43: lamps A and B.
    parse_text_line(&m, "C 0 100 0 300 1 0 2 0 0 1000 0 20000\n");
    EXPECT_FLOAT_EQ(m.lamp[LAMP_A].off, float(100 * 0.00014901161193847656));
    EXPECT_FLOAT_EQ(m.lamp[LAMP_A].on, float(300 * 0.00014901161193847656));
    EXPECT_FLOAT_EQ(m.delta[LAMP_A], m.lamp[LAMP_A].on - m.lamp[LAMP_A].off);
    EXPECT_EQ(m.lamp[LAMP_B].off, 9.765625f);
    EXPECT_EQ(m.delta[LAMP_B], 9.765625f);
    EXPECT_EQ(m.delta[LAMP_C], UNDEF);
    EXPECT_FLOAT_EQ(m.temperature, float(20000 * 0.00014901161193847656 * 0.1));
}

TEST(ParseTextLine, RejectedLinesLeaveEverythingUndefined) {
    for (const char* line : {"", "O 1 0 2", "1 0 2 0 3 0 4 0 5", "#O 1 0 2 0 3"}) {
        Tlumo_measure m;
        m.timestamp = 77;
        parse_text_line(&m, line);
        SCOPED_TRACE(line);
        EXPECT_EQ(m.vbat, UNDEF);
        EXPECT_EQ(m.temperature, UNDEF);
        EXPECT_EQ(m.delta[LAMP_A], UNDEF);
        EXPECT_EQ(m.timestamp, 77);
    }
}

TEST(ParseTextLine, TabsDoNotSeparateAndOddTokensGiveTheirDigits) {
    Tlumo_measure m;
    parse_text_line(&m, "@ 5x 0 6\t0 0");
    EXPECT_EQ(m.vbat, float(double(5 * 9.765625f) * 6.53 * 0.0009286775631500744));
    // "6\t0" reads as 60 units of the high word.
    EXPECT_FLOAT_EQ(m.temperature, float(60 * 9.765625 * 0.1));
}
