// The journal through the whole program: a run on a breakthrough curve is
// killed outright; the next run reports its journal and "Open journal..."
// brings every row back into the table.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/Lumo2_app.h"
#include "app/Ui_port.h"
#include "e2e/E2e_steps.h"
#include "events/Lib_cpp.h"
#include "sim/Breakthrough.h"
#include "view/Legacy_calibration.h"

using namespace e2e;

namespace {

constexpr int ROWS_BEFORE_THE_KILL = 6;

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The one journal the killed run wrote.
std::string the_journal(const std::string& folder)
{
    std::string found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".csv") found = entry.path().string();
    return found;
}

// A run on the dye's arrival that takes rows and is killed with SIGKILL
// while it runs; returns the rows it had. `prepare` acts in its view
// window before the first row.
int run_and_kill(const std::string& journals, const std::function<void()>& prepare = [] {})
{
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        close(ready[0]);
        Te2e_program program;
        setenv("LUMO2_JOURNAL_DIR", journals.c_str(), 1);
        Tbreakthrough arrival;
        arrival.transit_s = 2;
        program.sim.set_scenario(arrival);
        program.write_autoconnect_settings();
        program.run([&] {
            if (!wait_until([] { return indicators_are(RGB_GREEN); })) std::_Exit(1);
            control<QPushButton>("Fframe", "Button1")->click();
            prepare();
            for (int row = 0; row < ROWS_BEFORE_THE_KILL; ++row) fresh_view_row();
            const char rows = static_cast<char>(the_app()->view_master.table.data_rows());
            [[maybe_unused]] ssize_t written = write(ready[1], &rows, 1);
            for (;;) settle(1000);
        });
        std::_Exit(1);
    }
    close(ready[1]);
    char rows = -1;
    const bool told = read(ready[0], &rows, 1) == 1;
    close(ready[0]);
    if (child > 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }
    return told ? rows : -1;
}

// Standard error of this process, kept in a file while alive.
class Tstderr_capture {
public:
    explicit Tstderr_capture(std::string path) : path(std::move(path))
    {
        std::fflush(stderr);
        saved = dup(2);
        std::FILE* file = std::fopen(this->path.c_str(), "w");
        dup2(fileno(file), 2);
        std::fclose(file);
    }
    ~Tstderr_capture() { restore(); }
    std::string text()
    {
        restore();
        return read_file(path);
    }

private:
    void restore()
    {
        if (saved < 0) return;
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        saved = -1;
    }
    std::string path;
    int saved = -1;
};

TEST(Journal_e2e, KilledRunIsReportedAndEveryRowComesBack)
{
    Ttemp_dir journals;
    const int rows = run_and_kill(journals.path);
    ASSERT_EQ(rows, ROWS_BEFORE_THE_KILL);
    const std::string journal = the_journal(journals.path);
    ASSERT_FALSE(journal.empty());
    const std::string written = read_file(journal);

    Te2e_program program;
    setenv("LUMO2_JOURNAL_DIR", journals.path.c_str(), 1);
    // Resuming off: the journal is taken up by hand.
    program.write_settings("TYPE=2\rlast_connect_device_id " + std::to_string(Te2e_program::COM) +
                           "\rautonnect 1\rttimezone 0\rresume 0\r");
    Tstderr_capture errors(program.work.file("stderr.txt"));
    const std::string report =
        "Journal not closed: \"" + journal + "\", " + std::to_string(ROWS_BEFORE_THE_KILL) + " complete rows";
    program.run([&] {
        EXPECT_TRUE(has_line("Fframe", "Memo0", QString::fromStdString(report)));
        QLabel* banner = control<QLabel>("Fframe", "lb_resumed");
        EXPECT_FALSE(banner->isHidden());
        EXPECT_TRUE(banner->text().contains("Resuming is off")) << banner->text().toStdString();
        EXPECT_FALSE(the_app()->view_master.is_running());
        EXPECT_EQ(the_app()->view_master.table.data_rows(), 0u);
        control<QPushButton>("Fframe", "Button1")->click();
        QFileDialog* dialog = control<QFileDialog>("Flumo_view", "JournalDialog1");
        ASSERT_NE(dialog, nullptr);
        QTimer::singleShot(0, dialog, [dialog, journal] {
            dialog->selectFile(QString::fromStdString(journal));
            static_cast<QDialog*>(dialog)->accept();
        });
        control<QAction>("Flumo_view", "openjournal1")->trigger();
        std::string table;
        the_app()->view_master.table.table_text(&table);
        EXPECT_EQ(table, written);
        EXPECT_EQ(the_app()->view_master.journal.current_path(), journal);

        // The test goes on in the same file.
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_GREEN); }));
        fresh_view_row();
        the_app()->view_master.table.table_text(&table);
        EXPECT_EQ(read_file(journal), table);
        EXPECT_EQ(table.rfind(written, 0), 0u);
    });
    // Among the toolkit's own lines, once.
    const std::string stderr_text = errors.text();
    const size_t first = stderr_text.find(report + "\n");
    EXPECT_NE(first, std::string::npos) << stderr_text;
    EXPECT_EQ(stderr_text.find(report, first + 1), std::string::npos) << stderr_text;

    // Closed at exit: the next start reports nothing.
    Te2e_program again;
    setenv("LUMO2_JOURNAL_DIR", journals.path.c_str(), 1);
    again.run([] {
        EXPECT_EQ(count_lines_starting("Fframe", "Memo0", "Journal not closed"), 0);
        EXPECT_TRUE(control<QLabel>("Fframe", "lb_resumed")->isHidden());
    });
}

// Killed while measuring with constants loaded and lamp C unticked: the
// next start continues the journal, loads the constants, ticks the same
// lamps and measures again on its own, and says so.
TEST(Journal_e2e, KilledRunIsResumedWhereItStood)
{
    Ttemp_dir journals;
    Ttemp_dir files;
    const std::string constants = files.file("constants.dat");
    files.write("constants.dat", Tlegacy_calibration().text());
    const int rows = run_and_kill(journals.path, [&constants] {
        load_constants_in_view(constants);
        control<QCheckBox>("Flumo_view", "cb_lampe_C")->setChecked(false);
    });
    ASSERT_EQ(rows, ROWS_BEFORE_THE_KILL);
    const std::string journal = the_journal(journals.path);
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(read_file(journal + ".resume"),
              "lumo2 resume 1\nmeasuring=1\nlamps=ABT\nconstants=" + constants + "\n");

    Te2e_program program;
    setenv("LUMO2_JOURNAL_DIR", journals.path.c_str(), 1);
    program.write_autoconnect_settings();
    program.run([&] {
        Tlumo2_app* app = the_app();
        EXPECT_EQ(app->view_master.journal.current_path(), journal);
        EXPECT_EQ(app->view_master.table.data_rows(), unsigned(ROWS_BEFORE_THE_KILL));
        EXPECT_TRUE(app->view_master.constants.valid);
        EXPECT_FALSE(control<QCheckBox>("Flumo_view", "cb_lampe_C")->isChecked());
        EXPECT_TRUE(control<QCheckBox>("Flumo_view", "cb_lampe_T")->isChecked());
        EXPECT_TRUE(app->view_master.is_running());
        EXPECT_TRUE(window("Flumo_view")->isVisible());
        QLabel* banner = control<QLabel>("Fframe", "lb_resumed");
        EXPECT_FALSE(banner->isHidden());
        EXPECT_TRUE(banner->text().contains(QString::fromStdString(journal))) << banner->text().toStdString();
        EXPECT_TRUE(banner->text().contains("measuring again")) << banner->text().toStdString();
        auto* notice = window("Flumo_view")->findChild<QMessageBox*>("resume_notice");
        ASSERT_NE(notice, nullptr);
        EXPECT_TRUE(notice->isVisible());
        EXPECT_FALSE(notice->isModal());

        // The resumed request is answered, with the lamps of before, into the same journal.
        ASSERT_TRUE(wait_until([app] { return app->view_master.table.data_rows() > unsigned(ROWS_BEFORE_THE_KILL); }));
        EXPECT_TRUE(has_line("Flumo_view", "Memo1", "TX : K"));
        const Tmeasure_row& row = app->view_master.table.row(ROWS_BEFORE_THE_KILL);
        EXPECT_FALSE(is_undefined(row.ppb[0]));
        app->view_master.journal.wait_synced();
        std::string table;
        app->view_master.table.table_text(&table);
        EXPECT_EQ(read_file(journal), table);

        // STOP still stops, and the state beside the journal says so.
        control<QPushButton>("Flumo_view", "bt_stop")->click();
        EXPECT_EQ(read_file(journal + ".resume").find("measuring=0\n"), 15u);
    });
}

// A state file that cannot be trusted resumes nothing and says why, once.
TEST(Journal_e2e, DamagedStateFileResumesNothing)
{
    Ttemp_dir journals;
    ASSERT_EQ(run_and_kill(journals.path), ROWS_BEFORE_THE_KILL);
    const std::string journal = the_journal(journals.path);
    std::ofstream(journal + ".resume", std::ios::binary) << "lumo2 resume 1\nmeasuring=yes\n";

    Te2e_program program;
    setenv("LUMO2_JOURNAL_DIR", journals.path.c_str(), 1);
    program.write_autoconnect_settings();
    program.run([] {
        EXPECT_EQ(count_lines_starting("Fframe", "Memo0", "Not resumed: "), 1);
        EXPECT_FALSE(the_app()->view_master.is_running());
        EXPECT_EQ(the_app()->view_master.table.data_rows(), 0u);
        QLabel* banner = control<QLabel>("Fframe", "lb_resumed");
        EXPECT_TRUE(banner->text().contains("Not resumed: ")) << banner->text().toStdString();
    });
}

}  // namespace

int main(int argc, char** argv)
{
    // Each run makes its own application object through run_application;
    // the killed one runs in a child process.
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
