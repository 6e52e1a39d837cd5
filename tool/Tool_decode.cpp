#include <cstdarg>
#include <cstdio>

#include "tool/Tool.h"
#include "tool/Tool_args.h"
#include "tool/Tool_files.h"
#include "events/Lib_cpp.h"
#include "link/Lumo2_common.h"

// lumo2-tool decode: a captured byte stream through the connection
// master's receive state machine, its frame decoder and the two parsers.

namespace {

const char COMMAND[] = "decode";
constexpr unsigned char FRAME_CLOSE = '!';
constexpr int TEXT_LINE = 0;
constexpr int FRAME_PAYLOAD = 1;

std::string printf_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string printf_text(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

// Byte counts as the one integer type whose format every C runtime reads alike.
unsigned long long wide(size_t count) { return count; }

std::string value_text(const char* format, float value)
{
    return is_undefined(value) ? "-" : printf_text(format, static_cast<double>(value));
}

// The record's values: per lamp off, on and delta in mV, then temperature
// and battery voltage; "-" where missing.
std::string record_text(const Tlumo_sample& record)
{
    std::string text;
    for (int lamp = LAMP_A; lamp < LAMP_COUNT; ++lamp) {
        const char letter = "ABCT"[lamp];
        text += printf_text("%c.off=", letter) + value_text("%.3f", record.lamp[lamp].off);
        text += printf_text(" %c.on=", letter) + value_text("%.3f", record.lamp[lamp].on);
        text += printf_text(" %c.delta=", letter) + value_text("%.3f", record.delta[lamp]) + " ";
    }
    text += "temp=" + value_text("%.2f", record.temperature);
    text += " vbat=" + value_text("%.2f", record.vbat);
    return text;
}

bool has_reading(const Tlumo_sample& record)
{
    for (int lamp = LAMP_A; lamp < LAMP_COUNT; ++lamp)
        if (!is_undefined(record.lamp[lamp].off) || !is_undefined(record.lamp[lamp].on))
            return true;
    return !is_undefined(record.temperature) || !is_undefined(record.vbat);
}

// A received line between quotes, line ends dropped, unprintable bytes as
// \xNN; a long line is cut short.
std::string quoted(const unsigned char* bytes, unsigned length)
{
    constexpr unsigned SHOWN = 100;
    std::string text = "\"";
    for (unsigned i = 0; i < length && i < SHOWN; ++i) {
        const unsigned char byte = bytes[i];
        if (byte == '\r' || byte == '\n')
            continue;
        if (byte == '"' || byte == '\\')
            text += '\\';
        if (byte >= 0x20 && byte < 0x7F)
            text += static_cast<char>(byte);
        else
            text += printf_text("\\x%02X", byte);
    }
    text += "\"";
    if (length > SHOWN)
        text += printf_text("... (%u bytes)", length);
    return text;
}

// Why the link's decoder refused the unstuffed frame, checked in the
// decoder's own order.
std::string rejection_reason(const Tframe& frame)
{
    const unsigned count = frame.count;
    const unsigned char* b = frame.bytes;
    if (count < FRAME_HEADER_BYTES)
        return printf_text("%u bytes after unstuffing, fewer than the %u-byte header", count, FRAME_HEADER_BYTES);
    const unsigned checked = b[2] + 5u;
    if (checked > count)
        return printf_text("checksum span of %u bytes is longer than the frame's %u", checked, count);
    unsigned sum = 0;
    for (unsigned i = 0; i < checked; ++i)
        sum += b[i];
    if ((sum & 0xFF) != 0xFF)
        return printf_text("checksum: bytes 0 to %u sum to 0x%02X, not 0xFF", checked - 1, sum & 0xFF);
    if (b[3] != 0x22 || b[4] != 0x41 || b[5] != 0x15)
        return printf_text("header bytes 3 to 5 are %02X %02X %02X, not 22 41 15", b[3], b[4], b[5]);
    if ((b[7] & 0x3F) != 0x20)
        return printf_text("byte 7 is 0x%02X, not a measurement answer (0x20 in its low six bits)", b[7]);
    if (FRAME_HEADER_BYTES + b[6] > count)
        return printf_text("payload of %u bytes is longer than the %u bytes after the header", b[6],
                           count - FRAME_HEADER_BYTES);
    return "refused by the decoder";
}

class Tstream_decoder {
public:
    explicit Tstream_decoder(Ttool_output* output) : io(output) { link.set_data_sink(receive); }

    // tick_every: bytes between two of the connection master's 100 ms ticks
    // (0: none, the stream carries no time).
    void feed(const std::string& bytes, unsigned long tick_every);
    // Reports bytes left without an end and the summary; the exit status.
    int finish();

private:
    static void receive(int kind, const unsigned char* bytes, unsigned length);
    void on_line(const unsigned char* bytes, unsigned length);
    void on_frame(const unsigned char* payload, unsigned length);
    void on_rejected_frame();
    void on_discarded();
    std::string span() const { return printf_text("bytes %llu-%llu", wide(start), wide(position)); }

    static Tstream_decoder* active;

    Ttool_output* io;
    Tlumo2_common link;
    size_t start = 0;     // offset of the line or frame being completed
    size_t position = 0;  // offset of the byte being fed
    std::string frame_bytes;
    bool frame_accepted = false;
    unsigned long rejected = 0;
    unsigned long without_reading = 0;
    size_t discarded = 0;
};

Tstream_decoder* Tstream_decoder::active = nullptr;

void Tstream_decoder::feed(const std::string& bytes, unsigned long tick_every)
{
    active = this;
    for (position = 0; position < bytes.size(); ++position) {
        const unsigned char byte = static_cast<unsigned char>(bytes[position]);
        const unsigned before = link.rx_line.length();
        if (before == 0)
            start = position;
        // The state machine hands on accepted frames only: keep what a '!'
        // may complete, to say why a frame was refused.
        if (byte == FRAME_CLOSE) {
            frame_bytes.clear();
            if (before < RX_LINE_LIMIT)
                frame_bytes.assign(link.rx_line.c_str(), before);
            frame_bytes += static_cast<char>(byte);
        }
        frame_accepted = false;
        link.onRxByte(byte);
        const unsigned after = link.rx_line.length();
        if (after == 0 && byte == FRAME_CLOSE && !frame_accepted) {
            on_rejected_frame();
        } else if (after == 1 && before != 0) {
            on_discarded();
            start = position;
        }
        if (tick_every != 0 && (position + 1) % tick_every == 0)
            link.OnEvent(&link.delay->ev_success);
    }
    active = nullptr;
}

// A '$', or a line grown to the limit, drops what came before it.
void Tstream_decoder::on_discarded()
{
    io->out += printf_text("discarded bytes %llu-%llu: no line or frame end before a new start\n", wide(start),
                           wide(position - 1));
    discarded += position - start;
}

void Tstream_decoder::receive(int kind, const unsigned char* bytes, unsigned length)
{
    if (!active)
        return;
    if (kind == TEXT_LINE)
        active->on_line(bytes, length);
    else if (kind == FRAME_PAYLOAD)
        active->on_frame(bytes, length);
}

void Tstream_decoder::on_line(const unsigned char* bytes, unsigned length)
{
    Tlumo_sample record;
    parse_text_line(&record, std::string(reinterpret_cast<const char*>(bytes), length).c_str());
    std::string line = "text " + span() + " " + quoted(bytes, length) + ": ";
    if (has_reading(record)) {
        line += record_text(record);
    } else {
        line += "no reading";
        ++without_reading;
    }
    io->out += line + "\n";
}

void Tstream_decoder::on_frame(const unsigned char* payload, unsigned length)
{
    frame_accepted = true;
    Tlumo_sample record;
    parse_frame_payload(&record, payload, length);
    std::string line = "frame " + span() + printf_text(" payload %u bytes: ", length);
    if (length < MEASURE_PAYLOAD_BYTES) {
        line += printf_text("no reading (a measurement has %u bytes)", MEASURE_PAYLOAD_BYTES);
        ++without_reading;
    } else {
        line += record_text(record);
    }
    io->out += line + "\n";
}

void Tstream_decoder::on_rejected_frame()
{
    Tframe frame;
    unsigned payload_length = 0;
    const bool valid = unstuff_and_check_frame(reinterpret_cast<const unsigned char*>(frame_bytes.data()),
                                               static_cast<unsigned>(frame_bytes.size()), &frame, &payload_length);
    io->out += "frame " + span() + " rejected: " + (valid ? "refused by the decoder" : rejection_reason(frame)) + "\n";
    ++rejected;
}

int Tstream_decoder::finish()
{
    const unsigned pending = link.rx_line.length();
    if (pending != 0)
        io->out += printf_text("pending bytes %llu-%llu: no line or frame end\n", wide(position - pending), wide(position - 1));
    const size_t unended = discarded + pending;
    if (rejected == 0 && without_reading == 0 && unended == 0)
        return TOOL_OK;
    tool_error(io, COMMAND,
               printf_text("%lu rejected frame(s), %lu line(s) or frame(s) without a reading, %llu byte(s) "
                           "without a line or frame end",
                           rejected, without_reading, wide(unended)));
    return TOOL_PROBLEMS;
}

// A whole number of bytes, or false.
bool read_count(const std::string& text, unsigned long* count)
{
    int value = 0;
    if (text.empty() || parse_unsigned(text.c_str(), &value) || value < 0)
        return false;
    *count = static_cast<unsigned long>(value);
    return true;
}

}  // namespace

int tool_decode(const Ttool_args& args, Ttool_output* io)
{
    Ttool_command_line line;
    std::string error;
    if (!line.parse(args, {"--tick-every"}, &error))
        return tool_usage_error(io, COMMAND, error);
    if (line.wants_help()) {
        io->out += tool_help();
        return TOOL_OK;
    }
    if (line.positional.size() > 1)
        return tool_usage_error(io, COMMAND, "expects at most one capture file (\"-\" for standard input)");
    unsigned long tick_every = 0;
    const std::string* ticks = line.option("--tick-every");
    if (ticks && !read_count(*ticks, &tick_every))
        return tool_usage_error(io, COMMAND, "--tick-every takes a whole number of bytes");

    const std::string path = line.positional.empty() ? "-" : line.positional[0];
    std::string bytes;
    if (!tool_read_file(path, &bytes)) {
        tool_error(io, COMMAND, "unable to read \"" + path + "\"");
        return TOOL_BAD_INPUT;
    }
    Tstream_decoder decoder(io);
    decoder.feed(bytes, tick_every);
    return decoder.finish();
}
