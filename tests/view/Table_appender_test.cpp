// The appender keeps on disk what "save" writes, and continues only files of
// that form.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "events/Lib_cpp.h"
#include "link/Lumo_data.h"
#include "support/Temp_dir.h"
#include "support/Test_platform.h"
#include "view/Table_appender.h"

namespace {

const std::string HEADER_LINE =
    "Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;ppb A;ppb B;ppb C;NTU;\r\n";

// Rows with every kind of cell: undefined, negative, large, small.
std::vector<Tlumo_measure> varied_measures(unsigned count)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-5000.0f, 50000.0f);
    std::vector<Tlumo_measure> measures(count);
    for (unsigned i = 0; i < count; ++i) {
        Tlumo_measure& m = measures[i];
        m.timestamp = 1765000000 + 10 * static_cast<int32_t>(i);
        for (float& delta : m.delta) delta = i % 3 == 0 ? undefined_float() : value(random);
        m.temperature = i % 5 == 0 ? undefined_float() : value(random) / 1000.0f;
        m.ppb_a = value(random) / 1e4f;
        m.ppb_b = -0.0004f;
        m.ntu = 3.4e38f;
    }
    return measures;
}

// The table of those measurements and what "save" writes for it.
std::string saved_text(const std::vector<Tlumo_measure>& measures, Tmeasure_table* table)
{
    for (const Tlumo_measure& m : measures) table->table_add(&m);
    std::string text;
    table->table_text(&text);
    return text;
}

class Table_appender_test : public ::testing::Test {
protected:
    Ttemp_dir dir;
    std::string path = dir.file("journal.csv");
    std::string error;
};

TEST_F(Table_appender_test, FileHoldsWhatSaveWritesAfterEveryRow)
{
    const std::vector<Tlumo_measure> measures = varied_measures(40);
    Tmeasure_table table;
    const std::string expected = saved_text(measures, &table);

    Ttable_appender appender;
    ASSERT_TRUE(appender.open(path.c_str(), &error)) << error;
    EXPECT_EQ(dir.read("journal.csv"), HEADER_LINE);
    size_t lines = HEADER_LINE.size();
    for (unsigned i = 0; i < table.data_rows(); ++i) {
        ASSERT_TRUE(appender.append_row(table.row(i), &error)) << error;
        lines = expected.find("\r\n", lines) + 2;
        ASSERT_EQ(dir.read("journal.csv"), expected.substr(0, lines)) << "after row " << i;
    }
    EXPECT_EQ(appender.complete_rows(), 40u);
}

// What a file holds when it is opened again, what is left of it, what
// the rows found are and what was dropped (kept beside the file).
struct Tcontinued_case {
    const char* name;
    std::string content;
    unsigned rows;
    std::string kept;
    std::string dropped;
};
void PrintTo(const Tcontinued_case& c, std::ostream* out) { *out << c.name; }

class Table_appender_continues : public Table_appender_test,
                                 public ::testing::WithParamInterface<Tcontinued_case> {};

const std::string ROW_1 = "1765000000;06.12.2025 05:46:40;0;-;-;-;-;-;0.100;-;-;-;\r\n";
const std::string ROW_2 = "1765000010;06.12.2025 05:46:50;0;1.000;-2.500;-;-;18.25;-;-;-;-0.000;\r\n";

INSTANTIATE_TEST_SUITE_P(
    Contents, Table_appender_continues,
    ::testing::Values(Tcontinued_case{"empty", "", 0, HEADER_LINE, ""},
                      Tcontinued_case{"header_cut_off", HEADER_LINE.substr(0, 20), 0, HEADER_LINE, ""},
                      Tcontinued_case{"header_without_line_feed", HEADER_LINE.substr(0, HEADER_LINE.size() - 1), 0,
                                      HEADER_LINE, ""},
                      Tcontinued_case{"header_alone", HEADER_LINE, 0, HEADER_LINE, ""},
                      Tcontinued_case{"two_rows", HEADER_LINE + ROW_1 + ROW_2, 2, HEADER_LINE + ROW_1 + ROW_2, ""},
                      Tcontinued_case{"row_cut_off", HEADER_LINE + ROW_1 + ROW_2.substr(0, 30), 1,
                                      HEADER_LINE + ROW_1, ROW_2.substr(0, 30)},
                      Tcontinued_case{"row_cut_off_in_its_last_cell",
                                      HEADER_LINE + ROW_1 + ROW_2.substr(0, ROW_2.size() - 4), 1, HEADER_LINE + ROW_1,
                                      ROW_2.substr(0, ROW_2.size() - 4)},
                      Tcontinued_case{"row_without_line_feed", HEADER_LINE + ROW_1 + ROW_2.substr(0, ROW_2.size() - 1),
                                      2, HEADER_LINE + ROW_1 + ROW_2, ""},
                      Tcontinued_case{"row_without_line_end", HEADER_LINE + ROW_1 + ROW_2.substr(0, ROW_2.size() - 2),
                                      2, HEADER_LINE + ROW_1 + ROW_2, ""},
                      Tcontinued_case{"zeros_after_power_failure", HEADER_LINE + ROW_1 + std::string(4096, '\0'), 1,
                                      HEADER_LINE + ROW_1, std::string(4096, '\0')},
                      Tcontinued_case{"zeros_after_a_row_without_line_end",
                                      HEADER_LINE + ROW_1.substr(0, ROW_1.size() - 2) + std::string(100, '\0'), 1,
                                      HEADER_LINE + ROW_1, std::string(100, '\0')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(Table_appender_continues, KeepsTheCompleteRowsAndAppendsAfterThem)
{
    dir.write("journal.csv", GetParam().content);
    Ttable_appender appender;
    std::vector<Tmeasure_row> rows;
    ASSERT_TRUE(appender.open(path.c_str(), &error, &rows)) << error;
    EXPECT_EQ(appender.complete_rows(), GetParam().rows);
    EXPECT_EQ(Ttable_appender::complete_rows_in(GetParam().content), GetParam().rows);
    EXPECT_EQ(dir.read("journal.csv"), GetParam().kept);
    EXPECT_EQ(appender.dropped_bytes(), GetParam().dropped.size());
    EXPECT_EQ(dir.read("journal.csv.dropped"), GetParam().dropped);

    // The rows found and one more give what "save" writes for them.
    Tmeasure_table table;
    for (const Tmeasure_row& row : rows) {
        Tlumo_measure m;
        m.timestamp = row.timestamp;
        for (int lamp = 0; lamp < 4; ++lamp) m.delta[lamp] = row.delta[lamp];
        m.temperature = row.temperature;
        m.ppb_a = row.ppb[0];
        m.ppb_b = row.ppb[1];
        m.ppb_c = row.ppb[2];
        m.ntu = row.ntu;
        table.table_add(&m);
    }
    const std::string expected = saved_text(varied_measures(1), &table);
    ASSERT_TRUE(appender.append_row(table.row(table.data_rows() - 1), &error)) << error;
    EXPECT_EQ(dir.read("journal.csv"), expected);
    EXPECT_EQ(appender.complete_rows(), GetParam().rows + 1);
}

// Files the appender must not add rows to; each is left as it was. The
// reason, where given, is the end of the message.
struct Trefused_case {
    const char* name;
    std::string content;
    std::string reason;
};
void PrintTo(const Trefused_case& c, std::ostream* out) { *out << c.name; }

class Table_appender_refuses : public Table_appender_test, public ::testing::WithParamInterface<Trefused_case> {};

INSTANTIATE_TEST_SUITE_P(
    Contents, Table_appender_refuses,
    ::testing::Values(Trefused_case{"other_text", "the user's notes\r\n", ""},
                      Trefused_case{"other_header", "Timestamp;Date;\r\n" + ROW_1, ""},
                      Trefused_case{"line_feeds_only",
                                    "Timestamp;Date;GMT;delta A;delta B;delta C;delta T;Temp;"
                                    "ppb A;ppb B;ppb C;NTU;\n",
                                    "line 1 ends in LF, not CR LF"},
                      Trefused_case{"rows_added_with_echo",
                                    HEADER_LINE + ROW_1 + ROW_2.substr(0, ROW_2.size() - 2) + "\n" + ROW_1,
                                    "line 3 ends in LF, not CR LF"},
                      Trefused_case{"last_line_of_cells_not_a_row", HEADER_LINE + ROW_1 + "a;b;c;d;e;f;g;h;i;j;k;l;",
                                    "line 3: column \"Timestamp\": \"a\" is not a value of the table"},
                      Trefused_case{"eleven_cells", HEADER_LINE + "1765000000;06.12.2025 05:46:40;0;-;-;-;-;-;-;-;-;\r\n",
                                    ""},
                      Trefused_case{"date_of_another_time",
                                    HEADER_LINE + "1765000000;07.12.2025 05:46:40;0;-;-;-;-;-;-;-;-;-;\r\n",
                                    "line 2, cell \"Date\" is \"07.12.2025 05:46:40\" where the table writes "
                                    "\"06.12.2025 05:46:40\""},
                      Trefused_case{"more_decimals",
                                    HEADER_LINE + ROW_1 +
                                        "1765000000;06.12.2025 05:46:40;0;1.0000;-;-;-;-;-;-;-;-;\r\n",
                                    "line 3, cell \"delta A\" is \"1.0000\" where the table writes \"1.000\""},
                      Trefused_case{"word_in_a_cell",
                                    HEADER_LINE + ROW_1 + "1765000010;06.12.2025 05:46:50;0;x;-;-;-;-;-;-;-;-;\r\n", ""},
                      Trefused_case{"empty_line", HEADER_LINE + "\r\n" + ROW_1, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(Table_appender_refuses, NamesTheReasonAndLeavesTheFile)
{
    dir.write("journal.csv", GetParam().content);
    Ttable_appender appender;
    EXPECT_FALSE(appender.open(path.c_str(), &error));
    EXPECT_FALSE(appender.is_open());
    EXPECT_EQ(error.rfind("not a measurement table: ", 0), 0u) << error;
    EXPECT_EQ(error.substr(error.size() - std::min(error.size(), GetParam().reason.size())), GetParam().reason);
    EXPECT_EQ(dir.read("journal.csv"), GetParam().content);
    EXPECT_FALSE(std::filesystem::exists(path + ".dropped"));
}

// One writer at a time: a second is refused before it reads or cuts
// anything, and may write once the first has closed.
TEST_F(Table_appender_test, SecondWriterIsRefusedWhileTheFirstHoldsTheFile)
{
    dir.write("journal.csv", HEADER_LINE + ROW_1 + ROW_2.substr(0, 30));
    Ttable_appender first;
    ASSERT_TRUE(first.open(path.c_str(), &error)) << error;
    Ttable_appender second;
    EXPECT_FALSE(second.open(path.c_str(), &error));
    EXPECT_TRUE(second.busy());
    EXPECT_EQ(error.rfind("is being written by another program", 0), 0u) << error;
    EXPECT_EQ(dir.read("journal.csv"), HEADER_LINE + ROW_1);
    first.close();
    ASSERT_TRUE(second.open(path.c_str(), &error)) << error;
    EXPECT_FALSE(second.busy());
    EXPECT_EQ(second.complete_rows(), 1u);
}

// Writing is refused for a file that grants it to nobody, as the saves
// refuse it, also for a privileged user.
TEST_F(Table_appender_test, ReadOnlyTableIsRefusedAndUnchanged)
{
    dir.write("journal.csv", HEADER_LINE + ROW_1);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    Ttable_appender appender;
    EXPECT_FALSE(appender.open(path.c_str(), &error));
    EXPECT_EQ(error, write_refused_reason());
    EXPECT_EQ(dir.read("journal.csv"), HEADER_LINE + ROW_1);
    // Removable again where a read-only file cannot be deleted.
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

TEST_F(Table_appender_test, RefusesWhatCannotBeAFile)
{
    Ttable_appender appender;
    EXPECT_FALSE(appender.open(dir.path.c_str(), &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(appender.open(device_path(), &error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(appender.open(dir.file("missing/journal.csv").c_str(), &error));
    EXPECT_EQ(error, missing_folder_reason());
    bool exists = false;
    dir.write("taken.csv", "");
    EXPECT_FALSE(appender.create(dir.file("taken.csv").c_str(), &exists, &error));
    EXPECT_TRUE(exists);
}

// A disk that fills up mid-row leaves the file ending with a complete row.
TEST_F(Table_appender_test, FullDiskKeepsTheFileEndingWithACompleteRow)
{
    const std::string mount_point = dir.file("mnt");
    if (!mount_small_disk(mount_point, false))
        GTEST_SKIP() << "cannot mount a small file system here";
    const std::string full = mount_point + "/journal.csv";
    Tmeasure_table table;
    saved_text(varied_measures(400), &table);
    Ttable_appender appender;
    ASSERT_TRUE(appender.open(full.c_str(), &error)) << error;
    unsigned appended = 0;
    while (appended < table.data_rows() && appender.append_row(table.row(appended), &error)) ++appended;
    EXPECT_LT(appended, table.data_rows());
    EXPECT_EQ(error, "No space left on device");
    EXPECT_EQ(appender.complete_rows(), appended);

    Tmeasure_table kept;
    const std::string expected = saved_text(varied_measures(appended), &kept);
    std::ifstream in(full, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), expected);
    appender.close();
    unmount_small_disk(mount_point);
}

}  // namespace
