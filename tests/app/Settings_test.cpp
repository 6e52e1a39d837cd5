#include <gtest/gtest.h>

#include <ostream>
#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/Settings.h"
#include "events/Log_capture.h"
#include "support/Temp_dir.h"
#include "support/Test_platform.h"

namespace {

struct Tloaded {
    Ttemp_dir dir;
    Tsettings settings;

    explicit Tloaded(const char* content)
    {
        if (content) dir.write("lumo2.cfg", content);
        settings.directory.assign(dir.path.c_str());
        settings.load("lumo2.cfg");
    }
};

TEST(Tsettings, MissingFileGivesDefaultsAndExitWritesOnlyTheTypeLine)
{
    Tloaded loaded(nullptr);
    EXPECT_EQ(loaded.settings.getInt("last_connect_device_id", 0), 0);
    EXPECT_EQ(loaded.settings.getInt("autonnect", 5), 5);
    EXPECT_EQ(loaded.settings.entries.count(), 0);
    EXPECT_EQ(loaded.settings.save(), 1);
    EXPECT_EQ(loaded.dir.read("lumo2.cfg"), "TYPE=2\r");
}

struct Tread_case {
    const char* name;
    const char* content;
    const char* key;
    int expected;  // with default -1
};
void PrintTo(const Tread_case& c, std::ostream* out) { *out << c.name; }

class Tsettings_read : public testing::TestWithParam<Tread_case> {};

TEST_P(Tsettings_read, GetInt)
{
    Tloaded loaded(GetParam().content);
    EXPECT_EQ(loaded.settings.getInt(GetParam().key, -1), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Tsettings_read,
    testing::Values(
        Tread_case{"Plain", "TYPE=2\rautonnect 1\rttimezone 101\r", "ttimezone", 101},
        // A file edited or copied elsewhere: LF and CR LF end lines too.
        Tread_case{"CrLf", "TYPE=2\r\nautonnect 1\r\nttimezone 101\r\n", "ttimezone", 101},
        Tread_case{"LineFeeds", "TYPE=2\nautonnect 1\nttimezone 101\n", "ttimezone", 101},
        Tread_case{"EmptyLinesBetween", "TYPE=2\n\r\n\rttimezone 101\r\r", "ttimezone", 101},
        Tread_case{"CapitalKey", "TYPE=2\rAUTONNECT 1\r", "autonnect", 1},
        Tread_case{"LastLineWithoutCrIgnored", "TYPE=2\rautonnect 1\rttimezone 2", "ttimezone", -1},
        Tread_case{"DigitsThenLetters", "TYPE=2\rttimezone 1x\r", "ttimezone", 1},
        Tread_case{"NoDigits", "TYPE=2\rttimezone x\r", "ttimezone", 0},
        Tread_case{"EscapedMinus", "TYPE=2\rttimezone \\2D5\r", "ttimezone", -5},
        Tread_case{"LowerCaseEscape", "TYPE=2\rttimezone \\2d5\r", "ttimezone", -5},
        Tread_case{"FirstLineNeverParsed", "ttimezone 7\rTYPE=2\r", "ttimezone", -1},
        Tread_case{"FirstDuplicateWins", "TYPE=2\rttimezone 1\rttimezone 2\r", "ttimezone", 1},
        Tread_case{"EmptyValue", "TYPE=2\rttimezone \r", "ttimezone", 0}),
    [](const testing::TestParamInfo<Tread_case>& info) { return info.param.name; });

TEST(Tsettings, LineWithoutSpaceIsAKeyWithEmptyValue)
{
    Tloaded loaded("TYPE=2\rjustakey\r");
    bool found = false;
    EXPECT_STREQ(loaded.settings.getValue("JUSTAKEY", "dflt", &found), "");
    EXPECT_TRUE(found);
    EXPECT_STREQ(loaded.settings.getValue("other", nullptr, &found), "");
    EXPECT_FALSE(found);
    EXPECT_STREQ(loaded.settings.getValue("other", "dflt"), "dflt");
}

TEST(Tsettings, DuplicatesAreKeptAndWrittenBack)
{
    Tloaded loaded("TYPE=2\ra 1\ra 2\r");
    EXPECT_EQ(loaded.settings.entries.count(), 2);
    loaded.settings.save();
    EXPECT_EQ(loaded.dir.read("lumo2.cfg"), "TYPE=2\ra 1\ra 2\r");
}

TEST(Tsettings, SetValueLowersKeyEscapesSpaceAndReadsBack)
{
    Tloaded loaded("TYPE=2\rautonnect 1\r");
    loaded.settings.setValue("NewKey", "two words");
    loaded.settings.setInt("AUTONNECT", 0);
    loaded.settings.setInt("last_connect_device_id", -3);
    ASSERT_EQ(loaded.settings.save(), 1);
    EXPECT_EQ(loaded.dir.read("lumo2.cfg"),
              "TYPE=2\rautonnect 0\rnewkey two\\20words\rlast_connect_device_id \\2D3\r");

    Tsettings again;
    again.directory.assign(loaded.dir.path.c_str());
    again.load("lumo2.cfg");
    EXPECT_STREQ(again.getValue("newkey", nullptr), "two words");
    EXPECT_EQ(again.getInt("last_connect_device_id", 0), -3);
}

TEST(Tsettings, KeyIsWrittenWithoutForeignCharacters)
{
    Tloaded loaded(nullptr);
    loaded.settings.setValue("my-key.x", "1");
    loaded.settings.save();
    EXPECT_EQ(loaded.dir.read("lumo2.cfg"), "TYPE=2\rmykeyx 1\r");
}

TEST(Tsettings, EveryByteSurvivesARoundTrip)
{
    std::string all;
    for (int byte = 1; byte < 256; byte++) all += char(byte);
    Tloaded loaded(nullptr);
    loaded.settings.setValue("bytes", all.c_str());
    ASSERT_EQ(loaded.settings.save(), 1);

    const std::string file = loaded.dir.read("lumo2.cfg");
    // The encoded value holds no raw line end, so the file has exactly two lines.
    EXPECT_EQ(std::count(file.begin(), file.end(), '\r'), 2);

    Tsettings again;
    again.directory.assign(loaded.dir.path.c_str());
    again.load("lumo2.cfg");
    EXPECT_EQ(std::string(again.getValue("bytes", nullptr)), all);
}

TEST(Tsettings, ReloadReplacesEntries)
{
    Tloaded loaded("TYPE=2\ra 1\r");
    loaded.dir.write("lumo2.cfg", "TYPE=2\rb 2\r");
    loaded.settings.read();
    EXPECT_EQ(loaded.settings.getInt("a", -1), -1);
    EXPECT_EQ(loaded.settings.getInt("b", -1), 2);
    EXPECT_EQ(loaded.settings.line_count, 2);
}

TEST(Tsettings, FailedWriteReturnsZeroAndKeepsTheOldFile)
{
    Tloaded loaded("TYPE=2\rautonnect 1\r");
    loaded.settings.setInt("autonnect", 0);
    // Where the folder's write permission binds (not for root, not on
    // Windows, whose folders ignore it) the save fails and keeps the file.
    namespace fs = std::filesystem;
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(loaded.dir.path, writable, fs::perm_options::remove);
    const bool folder_refuses = !std::ofstream(loaded.dir.file("probe"));
    if (folder_refuses) {
        EXPECT_EQ(loaded.settings.save(), 0);
        EXPECT_EQ(loaded.dir.read("lumo2.cfg"), "TYPE=2\rautonnect 1\r");
    }
    fs::permissions(loaded.dir.path, fs::perms::owner_write, fs::perm_options::add);
    fs::remove(loaded.dir.file("probe"));
    // A directory that does not exist fails for every user, and says so.
    const std::string missing = loaded.dir.path + "/missing/lumo2.cfg";
    loaded.settings.path.assign(missing.c_str());
    Log_capture log;
    EXPECT_EQ(loaded.settings.save(), 0);
    EXPECT_EQ(loaded.dir.read("lumo2.cfg"), "TYPE=2\rautonnect 1\r");
    EXPECT_EQ(log.lines(), std::vector<std::string>{"ERROR : unable to write \"" + missing + "\": " +
                                                    missing_folder_reason()});
}

TEST(Tsettings, PathTooLongForTheBufferReadsAndWritesNothing)
{
    Tsettings settings;
    settings.directory.assign(("/tmp/" + std::string(600, 'd')).c_str());
    settings.load("lumo2.cfg");
    EXPECT_EQ(settings.path.length(), 0u);
    EXPECT_EQ(settings.save(), 0);
}

TEST(Tsettings, DirectoryIsTheWorkingDirectory)
{
    Tsettings settings;
    char cwd[512];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_STREQ(settings.directory.c_str(), cwd);
}

}  // namespace
