#include <gtest/gtest.h>

#include <termios.h>

#include <utility>

#include "Event_pump.h"
#include "Pty.h"
#include "link/Serial_resource.h"

namespace {

// Parity 1 is odd, 2 even, anything else none. A pseudo-terminal keeps the
// odd flag but drops parity enabling, so only odd against the others shows.
TEST(Serial_line_posix, OddParityReachesTheLineSettings) {
    Tpty pty;
    ASSERT_TRUE(pty.ok());
    event_pump::install();
    Tserial_resource serial;
    for (const auto& [parity, odd] : {std::pair{1, true}, std::pair{2, false}, std::pair{0, false}, std::pair{3, false}}) {
        SCOPED_TRACE(parity);
        ASSERT_EQ(serial.open(pty.slave_path.c_str(), 9600, parity, 8, false, 0, 1), 0u);
        termios line;
        ASSERT_EQ(tcgetattr(pty.master, &line), 0);
        EXPECT_EQ((line.c_cflag & PARODD) != 0, odd);
        serial.close();
    }
    event_pump::uninstall();
}

}  // namespace
