// A month of 10 s measurements in accelerated time: every answer comes from
// the simulator through the real serial path into the live view and its
// table. LUMO2_SOAK_ANSWERS sets the count (scripts/soak.sh: 259200, thirty
// days); the suite runs a shorter stretch.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "robust/Live_rig.h"
#include "support/Temp_dir.h"

namespace {

unsigned soak_answers() {
    const char* text = std::getenv("LUMO2_SOAK_ANSWERS");
    return text ? unsigned(std::strtoul(text, nullptr, 10)) : 5000;
}

double resident_mb() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

bool sanitized() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#endif
#endif
    return false;
}

TEST(Soak, AMonthOfAnswersIsTabledAndSavedWithBoundedMemory) {
    const unsigned answers = soak_answers();
    const unsigned warm_up = answers < 200 ? answers / 2 : 100;
    Tlive_rig rig;
    Tcell cell;
    cell.ppb[tracer::uranine] = 40;
    cell.ntu = 2;
    rig.sim.set_cell(cell);
    ASSERT_TRUE(rig.connect());
    rig.press(CMD_MODE_VIEW);

    const long long started = live_pump::now_ms();
    double rss_before = 0;
    rig.press(CMD_START);
    for (unsigned n = 1; n <= answers; ++n) {
        if (n > 1) rig.next_request();
        ASSERT_TRUE(live_pump::until([&] { return rig.rows() == n; })) << "answer " << n;
        if (n == warm_up) rss_before = resident_mb();
    }
    const double seconds = double(live_pump::now_ms() - started) / 1000.0;

    Ttemp_dir dir;
    const std::string saved = dir.file("month.txt");
    rig.app->view_master.table_save(saved.c_str());
    const double rss_after = resident_mb();

    EXPECT_EQ(rig.rows(), answers);
    EXPECT_EQ(rig.sim.requests_seen().answers, answers);
    std::ifstream in(saved, std::ios::binary);
    std::string line;
    unsigned lines = 0;
    std::string first_values;
    while (std::getline(in, line)) {
        ASSERT_EQ(line.back(), '\r') << "line " << lines;
        if (lines > 0) {
            // Every row holds the same cell's values after its two date cells.
            size_t cells = 0;
            for (char c : line) cells += c == ';';
            ASSERT_EQ(cells, 12u) << "line " << lines;
            const std::string values = line.substr(line.find(';', line.find(';', line.find(';') + 1) + 1));
            if (lines == 1) first_values = values;
            ASSERT_EQ(values, first_values) << "line " << lines;
        }
        ++lines;
    }
    EXPECT_EQ(lines, answers + 1);
    EXPECT_NE(first_values.find(";-;-;-;-;"), std::string::npos);  // no constants loaded: no ppb, NTU

    const double growth = rss_after - rss_before;
    std::printf("soak: %u answers, %u rows, %u saved lines in %.1f s; resident %.1f MB -> %.1f MB (+%.1f MB)\n",
                answers, rig.rows(), lines - 1, seconds, rss_before, rss_after, growth);
    // The sanitizers keep freed memory in quarantine; leaks are theirs to find.
    if (!sanitized()) {
        EXPECT_LT(growth, 100.0);
    }
}

}  // namespace
