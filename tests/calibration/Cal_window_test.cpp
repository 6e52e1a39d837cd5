// The calibration window on the real bridge, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <chrono>
#include <cstring>
#include <functional>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "app/Qt_ui_port.h"
#include "calibration/Sample_table.h"
#include "calibration/Wlumo_cal.h"
#include "support/Temp_dir.h"

namespace {

class Cal_window : public testing::Test {
protected:
    Cal_window()
    {
        set_the_app(&app);
        port = std::make_unique<Tqt_ui_port>(nullptr, &cal, nullptr, nullptr);
        set_ui_port(port.get());
        set_log_sink(log_append);
        bridge_state().current_mode = MODE_CALIBRATION;
        app.cal_master.set_clock([this] { return now; });
    }
    ~Cal_window() override
    {
        set_log_sink(nullptr);
        set_ui_port(nullptr);
        set_the_app(nullptr);
    }

    void receive(float a, float b, float c, float t)
    {
        const float values[9] = {a, b, c, t, 20, 100, 100, 100, 100};
        std::vector<unsigned char> payload;
        for (float value : values) {
            uint32_t bits;
            std::memcpy(&bits, &value, 4);
            for (int shift = 24; shift >= 0; shift -= 8)
                payload.push_back(static_cast<unsigned char>(bits >> shift));
        }
        app.cal_master.on_instrument_data(1, payload.data(), static_cast<unsigned>(payload.size()));
    }
    static void choose(QComboBox* combo, const char* text) { combo->setCurrentIndex(combo->findText(text)); }
    // Waits, as acquisition does, then lets the tick show the reading's age.
    void wait_ms(int ms)
    {
        now += std::chrono::milliseconds(ms);
        app.cal_master.tick();
    }
    void store_as(const char* tracer, const char* concentration)
    {
        choose(cal.cb_tracer, tracer);
        choose(cal.cb_concentration, concentration);
        cal.bt_store->click();
    }
    int stored() const
    {
        Tlist samples;
        return sample_table_collect(app.cal_master.samples(), &samples);
    }
    QString cell(int row, int column) const
    {
        const QTableWidgetItem* item = cal.StringGrid1->item(row, column);
        return item ? item->text() : QString();
    }

    Tlumo2_app app;
    TFlumo_cal cal;
    std::unique_ptr<Tqt_ui_port> port;
    std::chrono::steady_clock::time_point now;
};

// Answers the window's next message box of that name from inside its modal
// loop; the box is handed to `answer`, which closes it.
void answer_box(const char* name, std::function<void(QMessageBox*)> answer)
{
    QTimer::singleShot(0, [name, answer] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->objectName() == name) answer(box);
    });
}

void answer_box(const char* name, QMessageBox::StandardButton button)
{
    answer_box(name, [button](QMessageBox* box) { box->button(button)->click(); });
}

QStringList texts_of(const QComboBox* combo)
{
    QStringList texts;
    for (int index = 0; index < combo->count(); ++index)
        texts << combo->itemText(index) + "=" + QString::number(combo->itemData(index).toInt());
    return texts;
}

}  // namespace

TEST_F(Cal_window, ChoicesCarryTheirCodesWithNothingSelected)
{
    EXPECT_EQ(texts_of(cal.cb_model), (QStringList{"ZETA QX-1=1", "ZETA QX-2=2"}));
    EXPECT_EQ(texts_of(cal.cb_configuration), (QStringList{"I,II,III=1", "I,II,V=2"}));
    EXPECT_EQ(texts_of(cal.cb_tracer), (QStringList{"water with turbidity=1", "optic I   - Uranine=2",
                                                    "optic I   - Eosine=3", "optic II  - Sulforhodamine B=4",
                                                    "optic III - Amino G acide=5", "optic V   - Naphtionate=6"}));
    EXPECT_EQ(texts_of(cal.cb_concentration),
              (QStringList{"0 NTU=1", "1 NTU=2", "10 NTU=3", "100 NTU=4", "10 ppb=5", "100 ppb=6"}));
    for (QComboBox* combo : {cal.cb_model, cal.cb_configuration, cal.cb_tracer, cal.cb_concentration})
        EXPECT_EQ(combo->currentIndex(), -1);
}

TEST_F(Cal_window, StoreAddsARowAndClearKeepsOnlyTheValidityMessages)
{
    choose(cal.cb_configuration, "I,II,III");
    receive(1.5f, 2.25f, 3, 40.125f);
    EXPECT_TRUE(cal.bt_store->isEnabled());
    choose(cal.cb_tracer, "water with turbidity");
    choose(cal.cb_concentration, "100 NTU");
    cal.PageControl1->setCurrentWidget(cal.TabSheet1);
    cal.bt_store->click();

    EXPECT_FALSE(cal.bt_store->isEnabled());
    EXPECT_EQ(cal.PageControl1->currentWidget(), cal.TabSheet2);
    ASSERT_EQ(cal.StringGrid1->rowCount(), 2);
    EXPECT_EQ(cell(0, 0), "Traceur");
    EXPECT_EQ(cell(0, 5), "delta T");
    const QStringList row{"Water", "100 NTU", "1.500", "2.250", "3.000", "40.125"};
    for (int column = 0; column < 6; ++column)
        EXPECT_EQ(cell(1, column), row[column]);

    cal.bt_calc->click();
    answer_box("clear_question", QMessageBox::Yes);
    cal.Clear1->trigger();
    EXPECT_EQ(cal.StringGrid1->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), "Traceur");
    EXPECT_TRUE(cal.Memo1->toPlainText().isEmpty());
    EXPECT_TRUE(cal.Memo3->toPlainText().isEmpty());
    EXPECT_TRUE(cal.Memo4->toPlainText().contains("Error code = "));
}

TEST_F(Cal_window, CalcTwiceReplacesBothPanes)
{
    cal.bt_calc->click();
    const QString text = cal.Memo3->toPlainText();
    const QString validity = cal.Memo4->toPlainText();
    cal.bt_calc->click();
    EXPECT_EQ(cal.Memo3->toPlainText(), text);
    EXPECT_EQ(cal.Memo4->toPlainText(), validity);
    EXPECT_EQ(cal.Memo3->toPlainText().count("Calibration constants"), 1);
    EXPECT_EQ(cal.Memo4->toPlainText().count("Error code = 8388607"), 1);
}

TEST_F(Cal_window, SaveDatProposesTheDefaultNameAndDirectory)
{
    cal.ed_SNR->setText("7");
    app.cal_master.set_date(2024, 3, 5);
    std::string directory, file, filter;
    const char* dialog_name = "SaveDialog2";
    const auto look_and_answer = [&](const QString& chosen) {
        QTimer::singleShot(0, [&, chosen] {
            // As the system writes paths, which is how the test's folders are named.
            QFileDialog* dialog = cal.findChild<QFileDialog*>(dialog_name);
            directory = QDir::toNativeSeparators(dialog->directory().absolutePath()).toStdString();
            file = QDir::toNativeSeparators(dialog->selectedFiles().value(0)).toStdString();
            filter = dialog->nameFilters().join(";;").toStdString();
            if (chosen.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(chosen);
            static_cast<QDialog*>(dialog)->accept();
        });
    };
    // Nothing saved or loaded yet: the working directory.
    const std::string here = QDir::toNativeSeparators(QDir::currentPath()).toStdString();
    look_and_answer({});
    cal.bt_save_dat->click();
    EXPECT_EQ(directory, here);
    EXPECT_EQ(file, (std::filesystem::path(here) / "calibration_7_20240305.dat").string());
    // Each kind of file has its own dialog and filters.
    EXPECT_EQ(filter, "DAT file (*.dat);;All files (*.*)");
    EXPECT_STREQ(app.cal_master.serial(), "7");

    // Then the folder of the file last saved, under the same proposed name.
    Ttemp_dir folder;
    look_and_answer(QString::fromStdString(folder.file("elsewhere.dat")));
    cal.bt_save_dat->click();
    dialog_name = "SaveDialog1";
    look_and_answer({});
    cal.SaveasXML1->trigger();
    EXPECT_EQ(directory, folder.path);
    EXPECT_EQ(file, folder.file("calibration_7_20240305.xml"));
    EXPECT_EQ(filter, "XML file (*.xml);;All files (*.*)");
}

TEST_F(Cal_window, SaveAsXmlThenLoadXmlThroughTheDialogs)
{
    Ttemp_dir folder;
    const QString path = QString::fromStdString(folder.file("chosen.xml"));
    cal.ed_SNR->setText("31");
    choose(cal.cb_configuration, "I,II,V");
    choose(cal.cb_model, "ZETA QX-1");
    QTimer::singleShot(0, [&] {
        cal.SaveDialog1->selectFile(path);
        static_cast<QDialog*>(cal.SaveDialog1)->accept();
    });
    cal.SaveasXML1->trigger();
    EXPECT_NE(folder.read("chosen.xml").find("serial_number=\"31\" configuration=\"I,II,V\" model=\"ZETA QX-1\""),
              std::string::npos);

    cal.ed_SNR->setText("0");
    cal.cb_model->setCurrentIndex(-1);
    QTimer::singleShot(0, [&] {
        cal.OpenDialog1->selectFile(path);
        static_cast<QDialog*>(cal.OpenDialog1)->accept();
    });
    cal.LoadXML1->trigger();
    EXPECT_EQ(cal.ed_SNR->text(), "31");
    EXPECT_EQ(cal.cb_model->currentText(), "ZETA QX-1");
    EXPECT_EQ(cal.cb_configuration->currentText(), "I,II,V");
}

// The reading's age is shown beside "Store value"; a reading older than two
// request periods is refused with a message and nothing is stored.
TEST_F(Cal_window, StaleReadingIsRefusedWithItsAge)
{
    struct Tcase {
        int age_ms;
        const char* age_shown;
        bool stored;
    };
    const Tcase cases[] = {
        {0, "reading 0 s old", true},
        {20000, "reading 20 s old", true},
        {20100, "reading 20 s old", false},
        {45000, "reading 45 s old", false},
        {600000, "reading 10 min old", false},
    };
    choose(cal.cb_configuration, "I,II,III");
    EXPECT_EQ(cal.lb_reading_age->text(), "no reading");
    for (const Tcase& c : cases) {
        SCOPED_TRACE(c.age_ms);
        answer_box("clear_question", QMessageBox::Yes);
        cal.Clear1->trigger();
        receive(1, 2, 3, 4);
        wait_ms(c.age_ms);
        EXPECT_EQ(cal.lb_reading_age->text(), c.age_shown);
        QString message;
        answer_box("store_refused", [&message](QMessageBox* box) {
            message = box->text();
            box->accept();
        });
        store_as("water with turbidity", "0 NTU");
        EXPECT_EQ(stored(), c.stored ? 1 : 0);
        EXPECT_EQ(message.isEmpty(), c.stored) << message.toStdString();
        EXPECT_EQ(message.contains("older than 20 s"), !c.stored) << message.toStdString();
    }
    // Fresh when "Store value" was pressed, stale once the question about
    // the standard stored before is answered: refused all the same.
    receive(1, 1, 1, 1);
    store_as("water with turbidity", "0 NTU");
    receive(2, 2, 2, 2);
    QString message;
    answer_box("standard_question", [&](QMessageBox* box) {
        wait_ms(25000);
        answer_box("store_refused", [&message](QMessageBox* refused) {
            message = refused->text();
            refused->accept();
        });
        box->findChild<QPushButton*>("bt_add")->click();
    });
    store_as("water with turbidity", "0 NTU");
    EXPECT_TRUE(message.startsWith("The latest reading is 25 s old")) << message.toStdString();
    EXPECT_EQ(stored(), 1);
}

// Storing a standard stored before asks: "Replace" leaves the new reading
// alone, "Add" keeps both for the average, "Cancel" changes nothing.
TEST_F(Cal_window, StoringAStandardAgainAsks)
{
    struct Tcase {
        const char* button;
        QStringList deltas_a;
    };
    const Tcase cases[] = {
        {"bt_replace", {"2.000"}},
        {"bt_add", {"1.000", "2.000"}},
        {nullptr, {"1.000"}},
    };
    choose(cal.cb_configuration, "I,II,III");
    for (const Tcase& c : cases) {
        SCOPED_TRACE(c.button ? c.button : "cancel");
        answer_box("clear_question", QMessageBox::Yes);
        cal.Clear1->trigger();
        receive(1, 0, 0, 0);
        store_as("optic I   - Uranine", "10 ppb");
        receive(5, 0, 0, 0);
        store_as("optic I   - Uranine", "100 ppb");  // another standard: no question
        receive(2, 0, 0, 0);
        QString question;
        answer_box("standard_question", [&](QMessageBox* box) {
            question = box->text();
            if (c.button) box->findChild<QPushButton*>(c.button)->click();
            else box->button(QMessageBox::Cancel)->click();
        });
        store_as("optic I   - Uranine", "10 ppb");
        EXPECT_TRUE(question.startsWith("Uranine at 10 ppb is stored already (1 sample)")) << question.toStdString();
        QStringList shown;
        for (int row = 1; row < cal.StringGrid1->rowCount(); ++row)
            if (cell(row, 1) == "10 ppb") shown << cell(row, 2);
        EXPECT_EQ(shown, c.deltas_a);
        EXPECT_EQ(app.cal_master.stored_count(2, 6), 1);
    }
}

// A stored sample is removed by selecting its row and pressing Delete, or
// through the grid's menu; the header row is not a sample.
TEST_F(Cal_window, RemovingStoredSamples)
{
    choose(cal.cb_configuration, "I,II,III");
    receive(1, 0, 0, 0);
    store_as("water with turbidity", "0 NTU");
    receive(2, 0, 0, 0);
    store_as("water with turbidity", "10 NTU");
    receive(3, 0, 0, 0);
    store_as("water with turbidity", "100 NTU");
    ASSERT_EQ(stored(), 3);

    cal.StringGrid1->selectRow(2);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(cal.StringGrid1, &del);
    ASSERT_EQ(cal.StringGrid1->rowCount(), 3);
    EXPECT_EQ(cell(1, 1), "0 NTU");
    EXPECT_EQ(cell(2, 1), "100 NTU");

    cal.StringGrid1->selectRow(0);
    cal.removesample1->trigger();
    EXPECT_EQ(stored(), 2);
    cal.StringGrid1->selectRow(1);
    cal.removesample1->trigger();
    ASSERT_EQ(stored(), 1);
    EXPECT_EQ(cell(1, 1), "100 NTU");
}

// "Clear" asks before stored samples are lost; "No" keeps them.
TEST_F(Cal_window, ClearAsksFirst)
{
    choose(cal.cb_configuration, "I,II,III");
    receive(1, 0, 0, 0);
    store_as("water with turbidity", "0 NTU");
    answer_box("clear_question", QMessageBox::No);
    cal.Clear1->trigger();
    EXPECT_EQ(stored(), 1);
    EXPECT_EQ(cal.StringGrid1->rowCount(), 2);
    answer_box("clear_question", QMessageBox::Yes);
    cal.Clear1->trigger();
    EXPECT_EQ(stored(), 0);
    EXPECT_EQ(cal.StringGrid1->rowCount(), 1);
}

TEST_F(Cal_window, CopyToClipboardTakesTheWholeLowLevelLog)
{
    log_printf("first");
    log_printf("second");
    cal.copytoclipboard1->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "first\nsecond");
}

int main(int argc, char** argv)
{
    // Test discovery runs this program without CTest's environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
