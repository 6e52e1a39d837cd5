// The program started under a French locale, whose decimal separator is a
// comma: every file it writes still carries decimal points, so that it and
// other programs read the numbers back.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileDialog>
#include <QPushButton>
#include <QTimer>

#include <clocale>
#include <locale.h>
#include <cstdlib>
#include <regex>

#include "app/Ui_port.h"
#include "e2e/E2e_steps.h"

using namespace e2e;

namespace {

constexpr const char* FRENCH = "fr_FR.UTF-8";

bool locale_installed(const char* name)
{
    locale_t probe = newlocale(LC_ALL_MASK, name, locale_t(0));
    if (probe == locale_t(0)) return false;
    freelocale(probe);
    return true;
}

// Accepts the next dialog of the window with `path` chosen, then triggers
// the action that opens it.
void save_through(const char* window_name, const char* action, const std::string& path)
{
    QFileDialog* dialog = window(window_name)->findChild<QFileDialog*>("SaveDialog1");
    QTimer::singleShot(0, dialog, [dialog, path] {
        // A dialog opened a second time has the name field focused, and
        // selectFile leaves a focused field as it is.
        if (QWidget* focused = dialog->focusWidget()) focused->clearFocus();
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();
    });
    control<QAction>(window_name, action)->trigger();
}

void expect_decimal_points(const Ttemp_dir& work, const char* name)
{
    SCOPED_TRACE(name);
    const std::string text = work.read(name);
    ASSERT_FALSE(text.empty());
    EXPECT_TRUE(std::regex_search(text, std::regex("[0-9]\\.[0-9]")));
    std::smatch comma;
    EXPECT_FALSE(std::regex_search(text, comma, std::regex("[0-9],[0-9]+"))) << comma.str();
}

TEST(Locale_e2e, FilesWrittenUnderACommaLocaleCarryDecimalPoints)
{
    if (!locale_installed(FRENCH)) GTEST_SKIP() << FRENCH << " is not installed";
    Te2e_program program;
    ASSERT_TRUE(program.sim.running());
    program.write_autoconnect_settings();
    setenv("LC_ALL", FRENCH, 1);
    program.run([&program] {
        ASSERT_TRUE(wait_until([] { return indicators_are(RGB_GREEN); }));
        calibrate(program, CONFIGURATION_I_II_III, program.work.file("constants.dat"));
        if (testing::Test::HasFatalFailure()) return;
        save_through("Flumo_cal", "SaveasXML1", program.work.file("samples.xml"));
        open_view_from_calibration();
        if (testing::Test::HasFatalFailure()) return;
        load_constants_in_view(program.work.file("constants.dat"));
        if (testing::Test::HasFatalFailure()) return;
        fresh_view_row();
        if (testing::Test::HasFatalFailure()) return;
        control<QPushButton>("Flumo_view", "bt_stop")->click();
        save_through("Flumo_view", "save1", program.work.file("table.csv"));
    });
    unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");
    for (const char* name : {"constants.dat", "samples.xml", "table.csv"}) expect_decimal_points(program.work, name);
}

}  // namespace

int main(int argc, char** argv)
{
    // The program makes its own application object through run_application.
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
