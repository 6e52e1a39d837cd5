// Files nobody should hand the program, handed to it anyway: each must end
// in a clear error or the usual reading of such a file, quickly and without
// a crash.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "app/Settings.h"
#include "calibration/Lumo2_cal_master.h"
#include "calibration/Sample_table.h"
#include "events/List.h"
#include "events/Log_capture.h"
#include "support/Temp_dir.h"
#include "view/Vorn_lumo.h"

namespace {

using Tclock = std::chrono::steady_clock;

double seconds_since(Tclock::time_point start) {
    return std::chrono::duration<double>(Tclock::now() - start).count();
}

// Writes `count` copies of `piece` without holding them all in memory.
void write_repeated(const std::string& path, const std::string& head, const std::string& piece, size_t count,
                    const std::string& tail) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    std::string block;
    for (int i = 0; i < 4096; ++i) block += piece;
    for (size_t done = 0; done < count; done += 4096) out << (count - done >= 4096 ? block : piece);
    out << tail;
}

std::string random_bytes(size_t length, unsigned seed) {
    std::mt19937 rng(seed);
    std::string bytes(length, '\0');
    for (char& c : bytes) c = char(rng());
    return bytes;
}

int stored(const Tlumo2_cal_master& master) {
    Tlist samples;
    return sample_table_collect(master.samples(), &samples);
}

bool logged(const std::string& line) {
    for (const std::string& kept : Log_capture::lines())
        if (kept == line) return true;
    return false;
}

const char* const XML_HEAD =
    "<?xml version='1.0' encoding='utf-8' ?>\n<CALIBRATION serial_number=\"1234\" configuration=\"I,II,III\" "
    "model=\"ZETA QX-2\" year=\"2024\" month=\"5\" day=\"6\">\n";
const char* const XML_SAMPLE =
    "<SAMPLE traceur=\"Uranine\" concentration=\"100 ppb\" temperature=\"20.0\" Vbat=\"12.0\" "
    "LA_base_mV=\"1.0\" LA_mV=\"500.0\" LB_base_mV=\"1.0\" LB_mV=\"2.0\" LC_base_mV=\"1.0\" LC_mV=\"2.0\" "
    "LT_base_mV=\"1.0\" LT_mV=\"3.0\"/>\n";

class Hostile_calibration_xml : public ::testing::Test {
protected:
    // Loads the file as the calibration window does and says how long it took.
    double load(const std::string& name) {
        const auto start = Tclock::now();
        master.load_xml(dir.file(name).c_str());
        return seconds_since(start);
    }
    bool refused(const std::string& name) {
        return logged("ERROR : unable to read \"" + dir.file(name) + "\" file correctly");
    }

    Ttemp_dir dir;
    Log_capture log;
    Tlumo2_cal_master master;
};

TEST_F(Hostile_calibration_xml, DeepNestingIsRefused) {
    // Two million levels overflowed the stack of the recursive parser.
    write_repeated(dir.file("deep.xml"), XML_HEAD, "<a>", 2000000, "");
    EXPECT_LT(load("deep.xml"), 20.0);
    EXPECT_TRUE(refused("deep.xml"));
    // Quoted "/>" and comments do not hide the depth.
    write_repeated(dir.file("hidden.xml"), XML_HEAD, "<a x=\"/>\"><!-- /> -->", 300, "");
    load("hidden.xml");
    EXPECT_TRUE(refused("hidden.xml"));
    EXPECT_EQ(stored(master), 0);
}

TEST_F(Hostile_calibration_xml, CommentsAndQuotedMarksStillLoad) {
    dir.write("odd.xml", std::string(XML_HEAD) + "<!-- <a><b><c> -->\n<![CDATA[ <x><y> ]]>\n" + XML_SAMPLE +
                             "<SAMPLE traceur=\"Water\" concentration=\"0 NTU\" note=\"<a><b> />\"/>\n"
                             "</CALIBRATION>\n");
    load("odd.xml");
    EXPECT_FALSE(refused("odd.xml"));
    EXPECT_EQ(stored(master), 2);
}

TEST_F(Hostile_calibration_xml, HugeAttributeIsReadAsText) {
    write_repeated(dir.file("wide.xml"), "<?xml version='1.0' ?>\n<CALIBRATION serial_number=\"", "7", 8u << 20,
                   "\" configuration=\"I,II,III\" model=\"ZETA QX-2\">\n" + std::string(XML_SAMPLE) + "</CALIBRATION>\n");
    EXPECT_LT(load("wide.xml"), 20.0);
    EXPECT_EQ(std::strlen(master.serial()), size_t(8u << 20));
    EXPECT_EQ(stored(master), 1);
}

TEST_F(Hostile_calibration_xml, HundredMegabytesAreRefusedQuickly) {
    write_repeated(dir.file("big.xml"), XML_HEAD, XML_SAMPLE, (100u << 20) / std::strlen(XML_SAMPLE) + 4096,
                   "</CALIBRATION>\n");
    ASSERT_GE(std::filesystem::file_size(dir.file("big.xml")), 100u << 20);
    EXPECT_LT(load("big.xml"), 20.0);
    EXPECT_TRUE(refused("big.xml"));
    std::filesystem::remove(dir.file("big.xml"));
}

TEST_F(Hostile_calibration_xml, EntityCutShortNearTheEndIsReadSafely) {
    // Found by fuzzing: the parser looked past the end of the file's text
    // while reading an entity inside an attribute.
    static const char bytes[] =
    "\x3c\x3f\x78\x6d\x6c\x20\x76\x65\x72\x73\x69\x6f\x6e\x3d\x27\x54"
    "\x49\x4f\x4e\x20\x73\x65\x72\x69\x61\x6c\x5f\x6e\x75\x6d\x62\x65"
    "\x72\x3d\x22\x31\x33\x01\xa5\x73\x34\x22\x20\x63\x30\x22\x20\x4c"
    "\x43\x1f\x26\x30\x30\x22\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f"
    "\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f"
    "\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f"
    "\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f"
    "\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x1f\x33\x24"
    "\x1f\x1f\x63\x6f\x6e\x63\x65\x6e\x74\x72\x61\x74\x69\x6f\x6e\x3d"
    "\x22\x31\x30\x30\x20\x70\x70\x6e\x3d\x27\x31\x2e\x30\x27\x20\x65"
    "\x6e\x99\xdd\xdf\xb3\xab\xa2\x62\x61\x73\x65\x5f\x6d\x56\x3d\x33"
    "\x69\x74\x72\x61\x63\x65\x2f\x5d\x3e\x0a\x20\x20\x20\x20\x3c\x53"
    "\x41\x4d\x50\x4c\x45\x20\x74\x79\x70\x65\x70\x65\x72\x34\x69\x61"
    "\x74\x75\x72\x65\x72\x3d\x22\x3c\x3f\x78\x6d\x6c\x20\x76\x65\x64"
    "\x4c\x43\x5f\x6d\x56\x69\x6e\x67\x3d\x27\x75\x74\x66\x2d\x38\x27"
    "\x20\x3f\x3e\x0a\x3c\x43\x41\x4c\x49\x42\x52\x31\x41\xce";
    dir.write("entity.xml", std::string(bytes, sizeof bytes - 1));
    EXPECT_LT(load("entity.xml"), 5.0);
}

TEST(Hostile_constants, RandomBytesGiveAnError) {
    Ttemp_dir dir;
    for (unsigned seed = 1; seed <= 20; ++seed) {
        dir.write("random.dat", random_bytes(size_t(seed) * 997, seed));
        Tvorn_lumo constants;
        EXPECT_NE(constants.getcalib(dir.file("random.dat").c_str()), 0) << "seed " << seed;
        EXPECT_EQ(constants.valid, 0);
    }
}

TEST(Hostile_settings, OneVeryLongLineIsReadQuickly) {
    Ttemp_dir dir;
    // Without a line end after it, the long line is dropped as any last line.
    write_repeated(dir.file("endless.cfg"), "TYPE=2\rautonnect 1\r", "x", 64u << 20, "");
    // With one, it becomes an entry like any other.
    write_repeated(dir.file("long.cfg"), "TYPE=2\rautonnect 1\rlong ", "y", 64u << 20, "\r");
    const auto start = Tclock::now();
    Tsettings settings;
    settings.directory.assign(dir.path.c_str());
    settings.load("endless.cfg");
    EXPECT_EQ(settings.entries.count(), 1);
    EXPECT_EQ(settings.getInt("autonnect", 0), 1);
    settings.load("long.cfg");
    ASSERT_EQ(settings.entries.count(), 2);
    EXPECT_EQ(std::strlen(settings.getValue("long", "")), size_t(64u << 20));
    EXPECT_LT(seconds_since(start), 20.0);
}

}  // namespace
