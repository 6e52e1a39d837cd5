#include "e2e/E2e_steps.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "sim/Cell_text.h"
#include "view/Codes.h"

namespace {

void choose_code(QComboBox* box, int code)
{
    const int index = box->findData(code);
    ASSERT_GE(index, 0) << box->objectName().toStdString() << " has no code " << code;
    box->setCurrentIndex(index);
}

Tcell dye(int tracer_code, double ppb)
{
    Tcell cell;
    cell.ppb[tracer_code] = ppb;
    return cell;
}

Tcell turbid(double ntu)
{
    Tcell cell;
    cell.ntu = ntu;
    return cell;
}

// Accepts the next file dialog that opens with `path` chosen.
void choose_in_dialog(QFileDialog* dialog, const std::string& path)
{
    QTimer::singleShot(0, dialog, [dialog, path] {
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();
    });
}

}  // namespace

void e2e::open_calibration(const Tconfiguration_case& config, const char* serial)
{
    control<QPushButton>("Fframe", "Button2")->click();
    ASSERT_EQ(bridge_state().current_mode, MODE_CALIBRATION);
    ASSERT_TRUE(window("Flumo_cal")->isVisible());
    control<QLineEdit>("Flumo_cal", "ed_SNR")->setText(serial);
    choose_code(control<QComboBox>("Flumo_cal", "cb_model"), 2);
    choose_code(control<QComboBox>("Flumo_cal", "cb_configuration"), config.code);
    EXPECT_EQ(control<QComboBox>("Flumo_cal", "cb_configuration")->currentText().toStdString(), config.name);
}

void e2e::store_standard(Te2e_program& program, const Tcell& cell, int tracer_code, int concentration_code,
                         int stored_before)
{
    SCOPED_TRACE(testing::Message() << "standard " << describe_cell(cell));
    program.sim.set_cell(cell);
    QPushButton* store = control<QPushButton>("Flumo_cal", "bt_store");
    ASSERT_FALSE(store->isEnabled()) << "a reading is waiting already";
    const std::uint64_t answered = program.sim.requests_seen().answers;
    control<QAction>("Flumo_cal", "Stop1")->trigger();
    control<QAction>("Flumo_cal", "Start1")->trigger();
    ASSERT_TRUE(wait_until([&] { return program.sim.requests_seen().answers > answered && store->isEnabled(); }));

    choose_code(control<QComboBox>("Flumo_cal", "cb_tracer"), tracer_code);
    choose_code(control<QComboBox>("Flumo_cal", "cb_concentration"), concentration_code);
    QTableWidget* grid = control<QTableWidget>("Flumo_cal", "StringGrid1");
    store->click();
    EXPECT_FALSE(store->isEnabled());
    ASSERT_EQ(grid->rowCount(), stored_before + 2);
    // The grid lists the samples in table order: the new one is somewhere.
    const QString tracer = tracer_name((unsigned char)tracer_code);
    const QString level = concentration_name((unsigned char)concentration_code);
    int shown = 0;
    for (int row = 1; row < grid->rowCount(); ++row)
        if (grid->item(row, 0) && grid->item(row, 0)->text() == tracer && grid->item(row, 1)->text() == level) ++shown;
    EXPECT_EQ(shown, 1) << tracer.toStdString() << " " << level.toStdString();
}

void e2e::store_all_standards(Te2e_program& program, const Tconfiguration_case& config)
{
    struct Tstandard {
        Tcell cell;
        int tracer_code;
        int concentration_code;
    };
    std::vector<Tstandard> standards = {{Tcell{}, tracer::water, CONCENTRATION_0_NTU}};
    for (int code : config.tracers) {
        standards.push_back({dye(code, 10), code, CONCENTRATION_10_PPB});
        standards.push_back({dye(code, 100), code, CONCENTRATION_100_PPB});
    }
    standards.push_back({turbid(1), tracer::water, CONCENTRATION_1_NTU});
    standards.push_back({turbid(10), tracer::water, CONCENTRATION_10_NTU});
    standards.push_back({turbid(100), tracer::water, CONCENTRATION_100_NTU});
    for (size_t i = 0; i < standards.size(); ++i) {
        const Tstandard& standard = standards[i];
        store_standard(program, standard.cell, standard.tracer_code, standard.concentration_code, int(i));
        if (testing::Test::HasFatalFailure()) return;
    }
    control<QAction>("Flumo_cal", "Stop1")->trigger();
}

void e2e::calculate_and_save_dat(const std::string& path)
{
    control<QPushButton>("Flumo_cal", "bt_calc")->click();
    const QString validity = control<QPlainTextEdit>("Flumo_cal", "Memo4")->toPlainText();
    ASSERT_TRUE(validity.split('\n').contains("calibration.check_validity() => Error code = 0"))
        << validity.toStdString();
    const QString text = control<QPlainTextEdit>("Flumo_cal", "Memo3")->toPlainText();
    ASSERT_FALSE(text.isEmpty());

    QFileDialog* dialog = window("Flumo_cal")->findChild<QFileDialog*>("SaveDialog2");
    QString proposed;
    QTimer::singleShot(0, dialog, [dialog, &proposed] { proposed = dialog->selectedFiles().value(0); });
    choose_in_dialog(dialog, path);
    control<QPushButton>("Flumo_cal", "bt_save_dat")->click();
    EXPECT_TRUE(QFileInfo(proposed).fileName().startsWith("calibration_4711_")) << proposed.toStdString();
    EXPECT_TRUE(proposed.endsWith(".dat")) << proposed.toStdString();

    // The file holds the text shown, with CR LF line ends.
    QFile saved(QString::fromStdString(path));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray bytes = saved.readAll();
    EXPECT_EQ(bytes.count("\r\n"), 73);
    EXPECT_EQ(QString::fromLatin1(bytes).remove('\r').trimmed(), text.trimmed());
}

void e2e::open_view_from_calibration()
{
    window("Flumo_cal")->close();
    ASSERT_TRUE(window("Fframe")->isVisible());
    control<QPushButton>("Fframe", "Button1")->click();
    ASSERT_EQ(bridge_state().current_mode, MODE_VIEW);
    ASSERT_TRUE(window("Flumo_view")->isVisible());
}

void e2e::load_constants_in_view(const std::string& path)
{
    choose_in_dialog(window("Flumo_view")->findChild<QFileDialog*>("OpenDialog1"), path);
    control<QPushButton>("Flumo_view", "bt_load_calibration")->click();
    const QStringList log = lines("Flumo_view", "Memo1");
    const qsizetype loading = log.lastIndexOf(QString::fromStdString("Loading calibration file " + path));
    ASSERT_GE(loading, 0) << log.join('\n').toStdString();
    ASSERT_LT(loading + 1, log.size());
    ASSERT_EQ(log[loading + 1], "done");
    ASSERT_TRUE(the_app()->view_master.constants.valid);
}

void e2e::fresh_view_row()
{
    const unsigned rows = the_app()->view_master.table.data_rows();
    control<QPushButton>("Flumo_view", "bt_stop")->click();
    control<QPushButton>("Flumo_view", "bt_start")->click();
    ASSERT_TRUE(wait_until([rows] { return the_app()->view_master.table.data_rows() == rows + 1; }));
}

void e2e::calibrate(Te2e_program& program, const Tconfiguration_case& config, const std::string& path)
{
    open_calibration(config, "4711");
    if (testing::Test::HasFatalFailure()) return;
    store_all_standards(program, config);
    if (testing::Test::HasFatalFailure()) return;
    calculate_and_save_dat(path);
}
