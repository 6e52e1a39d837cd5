// A line that never ends: megabytes without a line feed or a frame mark, as
// a broken adapter or a wrong baud rate may deliver. The test plays the
// instrument itself so that nothing gives up writing before the end.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>

#include "link/Pty.h"
#include "robust/Live_rig.h"
#include "sim/Zeta_answer.h"

namespace {

// LUMO2_BURST_BYTES sets the length; scripts/soak.sh sends 10 MB.
size_t burst_bytes() {
    const char* text = std::getenv("LUMO2_BURST_BYTES");
    return text ? std::strtoull(text, nullptr, 10) : 256 * 1024;
}

std::string junk(size_t length) {
    std::mt19937 rng(7);
    std::string bytes;
    bytes.reserve(length);
    while (bytes.size() < length) {
        const char c = char(rng() % 255 + 1);
        if (c != '\n' && c != '$' && c != '!') bytes += c;
    }
    return bytes;
}

void write_patiently(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, std::min<size_t>(bytes.size() - done, 4096));
        if (n > 0) {
            done += size_t(n);
            continue;
        }
        pollfd out = {fd, POLLOUT, 0};
        if (poll(&out, 1, 5000) <= 0)
            return;
    }
}

TEST(Endless_line, StaysBoundedAndTheNextAnswerIsTabled) {
    Tpty pty;
    ASSERT_TRUE(pty.ok());
    Tlive_rig rig;
    ASSERT_TRUE(rig.connect_to(pty.slave_path));
    rig.press(CMD_MODE_VIEW);
    Tzeta_model model;
    Tcell cell;
    cell.ppb[tracer::uranine] = 12;
    const Tzeta_reading reading = model.reading(cell);

    rig.press(CMD_START);
    ASSERT_EQ(pty.read_bytes(1), "O");
    pty.write_text(text_answer('O', reading, false, 0, 1));
    ASSERT_TRUE(live_pump::until([&] { return rig.rows() == 1; }));

    const size_t length = burst_bytes();
    const std::string bytes = junk(length);
    std::thread writer([&] { write_patiently(pty.master, bytes); });
    unsigned longest = 0;
    unsigned capacity = 0;
    int delivered = 0;
    const long long started = live_pump::now_ms();
    while (live_pump::deliver_one(500)) {
        ++delivered;
        longest = std::max(longest, rig.app->common.rx_line.length());
        capacity = std::max(capacity, rig.app->common.rx_line.getCapacity());
    }
    writer.join();
    const long long took = live_pump::now_ms() - started;
    std::printf("burst: %zu bytes taken in %lld ms, longest kept line %u bytes\n", length, took, longest);

    EXPECT_GE(delivered, int(length));
    EXPECT_EQ(rig.rows(), 1u);
    EXPECT_LE(longest, RX_LINE_LIMIT);
    EXPECT_LE(capacity, RX_LINE_MEMORY_LIMIT);
    if (length > RX_LINE_LIMIT) {
        EXPECT_EQ(longest, RX_LINE_LIMIT);
    }

    rig.next_request();
    ASSERT_EQ(pty.read_bytes(1), "O");
    pty.write_text(text_answer('O', reading, false, 0, 2));
    ASSERT_TRUE(live_pump::until([&] { return rig.rows() == 2; }));
    EXPECT_NEAR(rig.app->view_master.table.row(1).delta[LAMP_A], reading.delta_mv[LAMP_A], 1e-3);
    EXPECT_TRUE(rig.connected());
}

}  // namespace
