#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Tool_fixtures.h"
#include "link/Lumo2_common.h"

using namespace frame_builder;

namespace {

std::string text_of(const Tbytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

Tbytes measurement_frame_body(float delta_a)
{
    const float deltas[4] = {delta_a, 2.25f, 3.5f, 4.0f};
    const float offs[4] = {100, 200, 300, 400};
    return unstuffed(measurement(deltas, 21.5f, offs));
}

// The checksum byte made right again after a change to the body.
Tbytes resealed(Tbytes body)
{
    unsigned sum = 0;
    for (unsigned i = 1; i < body[2] + 5u && i < body.size(); ++i)
        sum += body[i];
    body[0] = static_cast<unsigned char>(0xFF - (sum & 0xFF));
    return body;
}

class Tool_decode : public testing::Test {
protected:
    Ttool_run decode(const std::string& bytes, Ttool_args options = {})
    {
        dir.write("capture.bin", bytes);
        Ttool_args args = {"decode", dir.file("capture.bin")};
        args.insert(args.end(), options.begin(), options.end());
        return run_tool(args);
    }
    std::vector<std::string> lines(const std::string& text)
    {
        std::vector<std::string> out;
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            out.push_back(text.substr(start, end - start));
        return out;
    }

    Ttemp_dir dir;
};

TEST_F(Tool_decode, TextLinesAndFramesGiveTheirRecordsValues)
{
    // Lamps A and T lit: lamp off and on of each, battery and temperature,
    // as high and low 16-bit words of the raw reading.
    const std::string line = "I 0 6711 0 13422 0 33554 0 40265 1 0 0 2013\r\n";
    const Ttool_run run = decode(line + text_of(wire(measurement_frame_body(12.5f))));
    EXPECT_EQ(run.status, TOOL_OK) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> out = lines(run.out);
    ASSERT_EQ(out.size(), 2u) << run.out;

    Tlumo_sample record;
    parse_text_line(&record, line.c_str());
    char values[300];
    std::snprintf(values, sizeof values,
                  "A.off=%.3f A.on=%.3f A.delta=%.3f B.off=- B.on=- B.delta=- C.off=- C.on=- C.delta=- "
                  "T.off=%.3f T.on=%.3f T.delta=%.3f temp=%.2f vbat=%.2f",
                  record.lamp[0].off, record.lamp[0].on, record.delta[0], record.lamp[3].off, record.lamp[3].on,
                  record.delta[3], record.temperature, record.vbat);
    EXPECT_EQ(out[0], "text bytes 0-" + std::to_string(line.size() - 1) +
                          " \"I 0 6711 0 13422 0 33554 0 40265 1 0 0 2013\": " + values);

    EXPECT_EQ(out[1].rfind("frame bytes 45-", 0), 0u) << out[1];
    EXPECT_NE(out[1].find("payload 36 bytes: A.off=100.000 A.on=112.500 A.delta=12.500 B.off=200.000 "
                          "B.on=202.250 B.delta=2.250"),
              std::string::npos)
        << out[1];
    EXPECT_NE(out[1].find("temp=21.50 vbat=-"), std::string::npos) << out[1];
}

TEST_F(Tool_decode, RejectedFramesSayWhy)
{
    const Tbytes good = measurement_frame_body(1.0f);
    Tbytes bad_sum = good;
    bad_sum[0] += 1;
    Tbytes bad_header = good;
    bad_header[4] = 0x42;
    Tbytes bad_type = good;
    bad_type[7] = 0x21;
    Tbytes long_payload = good;
    long_payload[6] = 60;
    Tbytes long_span = good;
    long_span[2] = 200;
    const struct {
        const char* name;
        Tbytes body;
        const char* reason;
    } cases[] = {
        {"short", {1, 2, 3}, "3 bytes after unstuffing, fewer than the 8-byte header"},
        {"checksum", bad_sum, "checksum: bytes 0 to 7 sum to 0x00, not 0xFF"},
        {"span", resealed(long_span), "checksum span of 205 bytes is longer than the frame's 44"},
        {"header", resealed(bad_header), "header bytes 3 to 5 are 22 42 15, not 22 41 15"},
        {"type", resealed(bad_type), "byte 7 is 0x21, not a measurement answer"},
        {"payload", resealed(long_payload), "payload of 60 bytes is longer than the 36 bytes after the header"},
    };
    for (const auto& c : cases) {
        const Ttool_run run = decode(text_of(wire(c.body)) + text_of(wire(good)));
        EXPECT_EQ(run.status, TOOL_PROBLEMS) << c.name;
        const std::vector<std::string> out = lines(run.out);
        ASSERT_EQ(out.size(), 2u) << c.name << ": " << run.out;
        EXPECT_NE(out[0].find(std::string(" rejected: ") + c.reason), std::string::npos) << c.name << ": " << out[0];
        EXPECT_NE(out[1].find("A.delta=1.000"), std::string::npos) << c.name;
        EXPECT_NE(run.err.find("1 rejected frame(s)"), std::string::npos) << c.name << ": " << run.err;
    }
}

TEST_F(Tool_decode, ShortPayloadAndWordsAreNoReading)
{
    const Ttool_run run = decode("hello\r\n" + text_of(wire(unstuffed({1, 2, 3}))));
    EXPECT_EQ(run.status, TOOL_PROBLEMS);
    const std::vector<std::string> out = lines(run.out);
    ASSERT_EQ(out.size(), 2u) << run.out;
    EXPECT_EQ(out[0], "text bytes 0-6 \"hello\": no reading");
    EXPECT_NE(out[1].find("payload 3 bytes: no reading"), std::string::npos) << out[1];
    EXPECT_NE(run.err.find("2 line(s) or frame(s) without a reading"), std::string::npos) << run.err;
}

TEST_F(Tool_decode, LinesAfterAFrameWaitForTheFrameWindowToPass)
{
    const std::string line = "I 0 6711 0 13422 0 33554 0 40265 1 0 0 2013\r\n";
    const std::string capture = text_of(wire(measurement_frame_body(1.0f))) + std::string(400, ' ') + "\n" + line;

    const Ttool_run timeless = decode(capture);
    EXPECT_EQ(timeless.status, TOOL_PROBLEMS);
    EXPECT_EQ(lines(timeless.out).size(), 2u) << timeless.out;
    EXPECT_NE(timeless.out.find("no line or frame end"), std::string::npos);

    const Ttool_run ticking = decode(capture, {"--tick-every", "1"});
    const std::vector<std::string> out = lines(ticking.out);
    ASSERT_EQ(out.size(), 3u) << ticking.out;
    EXPECT_NE(out[1].find("no reading"), std::string::npos);
    EXPECT_NE(out[2].find("A.delta="), std::string::npos);
    EXPECT_EQ(FRAME_WINDOW_TICKS, 350);
}

TEST_F(Tool_decode, GarbageIsReportedWithoutHarm)
{
    std::mt19937 random(20240506);
    std::string garbage(200000, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    const Ttool_run run = decode(garbage);
    EXPECT_EQ(run.status, TOOL_PROBLEMS);
    EXPECT_NE(run.err.find("lumo2-tool decode: "), std::string::npos);
    EXPECT_NE(run.out.find("rejected: "), std::string::npos);

    const Ttool_run endless = decode(std::string(RX_LINE_LIMIT + 10, 'x') + "\n");
    EXPECT_EQ(endless.status, TOOL_PROBLEMS);
    EXPECT_NE(endless.out.find("discarded bytes 0-65535"), std::string::npos) << endless.out.substr(0, 300);
    EXPECT_NE(endless.out.find("text bytes 65536-65546 "), std::string::npos);
}

TEST_F(Tool_decode, EmptyCaptureIsNothingToReport)
{
    const Ttool_run run = decode("");
    EXPECT_EQ(run.status, TOOL_OK);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

}  // namespace
