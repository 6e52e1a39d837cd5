// The journal: what it writes, how it continues, how it fails and how a
// run that died is found.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "events/Lib_cpp.h"
#include "events/Log_capture.h"
#include "link/Lumo_data.h"
#include "support/Temp_dir.h"
#include "support/Test_platform.h"
#include "view/Measure_journal.h"

namespace {

constexpr int32_t FIRST_TIME = 1796724900;  // 08.12.2026 10:15:00 UTC

Tlumo_measure measure(int index)
{
    Tlumo_measure m;
    m.timestamp = FIRST_TIME + 10 * index;
    m.delta[LAMP_A] = 12.345f + static_cast<float>(index);
    m.delta[LAMP_T] = index % 2 ? undefined_float() : -3.21f;
    m.temperature = 18.52f;
    m.ppb_a = 2.817f * static_cast<float>(index);
    return m;
}

void add_rows(Tmeasure_table* table, int from, int count)
{
    for (int i = from; i < from + count; ++i) {
        Tlumo_measure m = measure(i);
        table->table_add(&m);
    }
}

std::string saved(const Tmeasure_table& table)
{
    std::string text;
    table.table_text(&text);
    return text;
}

std::vector<std::string> files_in(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string journal_path(const std::string& folder) { return folder + "/lumo2-20261208-101500.csv"; }

class Measure_journal_test : public ::testing::Test {
protected:
    Ttemp_dir dir;
    std::string folder = dir.file("data/lumo2/journal");
    Log_capture log;
};

TEST_F(Measure_journal_test, HoldsWhatSaveWritesOneFilePerTable)
{
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    EXPECT_TRUE(journal.start(folder).empty());
    add_rows(&table, 0, 5);
    const std::string first = saved(table);
    EXPECT_EQ(journal.current_path(), folder + "/lumo2-20261208-101500.csv");
    // Handed to the system at once: readable before any sync.
    EXPECT_EQ(dir.read("data/lumo2/journal/lumo2-20261208-101500.csv"), first);

    // A clear closes it; the next table of the same second gets its own name.
    table.table_clear();
    add_rows(&table, 0, 2);
    table.table_clear();
    add_rows(&table, 0, 1);
    journal.wait_synced();
    EXPECT_EQ(files_in(folder), (std::vector<std::string>{"lumo2-20261208-101500-2.csv",
                                                          "lumo2-20261208-101500-3.csv",
                                                          "lumo2-20261208-101500.csv", "open-journals.txt"}));
    EXPECT_EQ(dir.read("data/lumo2/journal/lumo2-20261208-101500.csv"), first);
    EXPECT_EQ(dir.read("data/lumo2/journal/lumo2-20261208-101500-3.csv"), saved(table));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(Measure_journal_test, NotStartedWritesNothing)
{
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    add_rows(&table, 0, 3);
    EXPECT_EQ(journal.current_path(), "");
    EXPECT_FALSE(std::filesystem::exists(folder));
}

// A journal cut off mid-line by a crash comes back whole but for that line,
// and goes on in the same file.
TEST_F(Measure_journal_test, ReopenedJournalCutOffMidLineContinues)
{
    Tmeasure_table before;
    add_rows(&before, 0, 4);
    const std::string complete = saved(before);
    const std::string cut_off = complete + "1796724940;08.12.2026 10:15:40;0;16.3";
    std::filesystem::create_directories(folder);
    dir.write("data/lumo2/journal/old.csv", cut_off);

    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    journal.start(folder);
    add_rows(&table, 10, 2);
    const std::string replaced = journal.current_path();
    ASSERT_TRUE(journal.reopen((folder + "/old.csv").c_str()));
    EXPECT_EQ(saved(table), complete);
    EXPECT_EQ(dir.read("data/lumo2/journal/old.csv"), complete);
    EXPECT_EQ(log.lines().back(), "Journal \"" + folder + "/old.csv\" continued, 4 complete rows");

    add_rows(&table, 4, 3);
    EXPECT_EQ(journal.current_path(), folder + "/old.csv");
    EXPECT_EQ(dir.read("data/lumo2/journal/old.csv"), saved(table));
    // The journal of the rows replaced is left as it was.
    Tmeasure_table earlier;
    add_rows(&earlier, 10, 2);
    EXPECT_EQ(dir.read("data/lumo2/journal/" + std::filesystem::path(replaced).filename().string()), saved(earlier));
}

TEST_F(Measure_journal_test, ReopenRefusesAnotherFileAndKeepsTheTable)
{
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    journal.start(folder);
    add_rows(&table, 0, 2);
    const std::string path = journal.current_path();
    dir.write("notes.csv", "the user's notes\r\n");
    EXPECT_FALSE(journal.reopen(dir.file("notes.csv").c_str()));
    EXPECT_EQ(table.data_rows(), 2u);
    EXPECT_EQ(journal.current_path(), path);
    EXPECT_EQ(dir.read("notes.csv"), "the user's notes\r\n");
    ASSERT_FALSE(log.lines().empty());
    EXPECT_EQ(log.lines().back().rfind("ERROR : journal \"" + dir.file("notes.csv") + "\" cannot be continued: ", 0),
              0u);
}

// A journal begun by another program (here another journal of the same
// folder) is not continued beside it: one writer per file.
TEST_F(Measure_journal_test, JournalAnotherProgramWritesIsNeitherContinuedNorReported)
{
    Tmeasure_table first_table;
    Tmeasure_journal first(&first_table);
    first.start(folder);
    add_rows(&first_table, 0, 2);
    const std::string path = first.current_path();

    Tmeasure_table table;
    Tmeasure_journal second(&table);
    EXPECT_TRUE(second.start(folder).empty());
    // Still marked open: should the first program die, the next start finds it.
    EXPECT_EQ(dir.read("data/lumo2/journal/open-journals.txt"), "open " + path + "\n");
    add_rows(&table, 10, 1);
    EXPECT_FALSE(second.reopen(path.c_str()));
    EXPECT_EQ(table.data_rows(), 1u);
    EXPECT_EQ(log.lines().back().rfind("ERROR : journal \"" + path + "\" is being written by another program", 0), 0u)
        << log.lines().back();
    add_rows(&first_table, 2, 1);
    EXPECT_EQ(dir.read("data/lumo2/journal/lumo2-20261208-101500.csv"), saved(first_table));
}

// A continued journal whose last row lacks only its line end gets it; a row
// cut short is dropped, said so, and kept beside the journal.
TEST_F(Measure_journal_test, ReopenSaysWhatItDropped)
{
    Tmeasure_table before;
    add_rows(&before, 0, 2);
    const std::string cut = "1796724920;08.12.2026 10:15:20;0;14";
    std::filesystem::create_directories(folder);
    dir.write("data/lumo2/journal/old.csv", saved(before) + cut);
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    journal.start(folder);
    ASSERT_TRUE(journal.reopen((folder + "/old.csv").c_str()));
    EXPECT_EQ(dir.read("data/lumo2/journal/old.csv.dropped"), cut);
    const std::string path = folder + "/old.csv";
    EXPECT_EQ(log.lines(), (std::vector<std::string>{"Journal \"" + path + "\": " + std::to_string(cut.size()) +
                                                         " bytes of a last line cut short dropped, kept in \"" + path +
                                                         ".dropped\"",
                                                     "Journal \"" + path + "\" continued, 2 complete rows"}));
}

// A journal that cannot be written is tried again with later rows, at most
// once per interval; when it writes again, the rows it missed go first.
TEST_F(Measure_journal_test, FailingJournalResumesWithTheRowsItMissed)
{
    dir.write("plain", "x");
    const std::string blocked = dir.file("plain/journal");
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    std::vector<std::string> told;
    journal.set_failure_listener([&told](const std::string& reason) { told.push_back(reason); });
    journal.start(blocked);
    journal.set_retry_interval(std::chrono::hours(1));
    add_rows(&table, 0, 3);
    ASSERT_EQ(log.lines().size(), 1u);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_FALSE(told[0].empty());
    EXPECT_EQ(journal.rows_not_journalled(), 3u);

    std::filesystem::remove(dir.file("plain"));
    add_rows(&table, 3, 1);
    EXPECT_EQ(journal.current_path(), "") << "tried again within the interval";
    journal.set_retry_interval(std::chrono::milliseconds(0));
    add_rows(&table, 4, 1);
    EXPECT_EQ(dir.read("plain/journal/lumo2-20261208-101500.csv"), saved(table));
    EXPECT_EQ(log.lines(), (std::vector<std::string>{log.lines()[0], "Journal \"" + journal_path(blocked) +
                                                                         "\" resumed, 4 rows written late"}));
    EXPECT_EQ(journal.rows_not_journalled(), 0u);
    EXPECT_EQ(told.back(), "");
}

// Where journals cannot be written: reported once per table, and the table
// goes on taking rows.
class Journal_unwritable : public Measure_journal_test, public ::testing::WithParamInterface<const char*> {
protected:
    void TearDown() override
    {
        if (mounted) unmount_small_disk(mount_point);
    }

    // A file system of its own, full after a few rows or read-only; empty
    // when this machine does not let the test mount one.
    std::string small_disk(bool read_only)
    {
        mounted = mount_small_disk(mount_point, read_only);
        return mounted ? mount_point : std::string();
    }

    std::string mount_point = dir.file("mnt");
    bool mounted = false;
};

INSTANTIATE_TEST_SUITE_P(Folders, Journal_unwritable, ::testing::Values("below_a_file", "full", "read_only"),
                         [](const auto& info) { return std::string(info.param); });

TEST_P(Journal_unwritable, ReportedOnceAndTheTableGoesOn)
{
    const std::string kind = GetParam();
    std::string unwritable = dir.file("plain/journal");
    dir.write("plain", "x");
    if (kind != "below_a_file") unwritable = small_disk(kind == "read_only");
    if (unwritable.empty()) GTEST_SKIP() << "cannot mount a small file system here";
    Tmeasure_table table;
    Tmeasure_journal journal(&table);
    journal.start(unwritable);
    add_rows(&table, 0, 200);
    EXPECT_EQ(table.data_rows(), 200u);
    ASSERT_EQ(log.lines().size(), 1u);
    const std::string start = "ERROR : journal \"" + (kind == "full" ? journal_path(unwritable) : unwritable) +
                              "\" cannot be written: ";
    EXPECT_EQ(log.lines()[0].rfind(start, 0), 0u) << log.lines()[0];
    EXPECT_GT(log.lines()[0].size(), start.size());
    // A journal that took rows stays open, to be tried again.
    EXPECT_EQ(journal.current_path(), kind == "full" ? journal_path(unwritable) : "");
    // The next table tries again.
    table.table_clear();
    add_rows(&table, 0, 1);
    EXPECT_EQ(log.lines().size(), 2u);
}

// A run that dies (no destructor, no close) leaves its journal marked open;
// the next start finds it once, without touching it.
TEST_F(Measure_journal_test, JournalOfARunThatDiedIsReportedOnce)
{
    const bool ran = run_in_dying_child([this] {
        Tmeasure_table table;
        auto* journal = new Tmeasure_journal(&table);
        journal->start(folder);
        add_rows(&table, 0, 3);
        table.table_clear();  // a closed journal is not reported
        add_rows(&table, 20, 7);
    });
    if (!ran) GTEST_SKIP() << "no copy of the running process here";
    const std::string died = folder + "/lumo2-20261208-101820.csv";
    const std::string bytes = dir.read("data/lumo2/journal/lumo2-20261208-101820.csv");

    Tmeasure_table table;
    {
        Tmeasure_journal journal(&table);
        EXPECT_EQ(journal.start(folder),
                  std::vector<std::string>{"Journal not closed: \"" + died + "\", 7 complete rows"});
        add_rows(&table, 40, 1);
    }
    Tmeasure_journal journal(&table);
    EXPECT_TRUE(journal.start(folder).empty());
    EXPECT_EQ(dir.read("data/lumo2/journal/lumo2-20261208-101820.csv"), bytes);
}

}  // namespace
