// The bridge on the real windows: every id reaches the control of its name.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>

#include <functional>
#include <memory>

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "app/Qt_ui_port.h"
#include "app/Wlumo_selector.h"
#include "app/Wlumo_settings.h"
#include "calibration/Wlumo_cal.h"
#include "view/Wlumo_view.h"

namespace {

class Windows : public testing::Test {
protected:
    Windows()
    {
        set_the_app(&app);
        port = std::make_unique<Tqt_ui_port>(&main, &cal, &view, &settings);
        set_ui_port(port.get());
        set_log_sink(log_append);
    }
    ~Windows() override
    {
        set_log_sink(nullptr);
        set_ui_port(nullptr);
        set_the_app(nullptr);
    }

    void in_mode(int mode) { bridge_state().current_mode = mode; }

    static QColor color(QWidget* widget) { return widget->palette().color(QPalette::Window); }
    static QString last_line(QPlainTextEdit* pane) { return pane->document()->lastBlock().text(); }

    // Runs the modal dialog with the given action done from inside it.
    void inside_dialog(std::function<void()> action)
    {
        QTimer::singleShot(0, [&, action] {
            dialog_was_visible = settings.isVisible();
            action();
        });
    }

    Tlumo2_app app;
    TFframe main;
    TFlumo_cal cal;
    TFlumo_settings settings;
    TFlumo_view view;
    std::unique_ptr<Tqt_ui_port> port;
    bool dialog_was_visible = false;
};

const QColor GREEN(0, 255, 0);

TEST_F(Windows, ConnectionLampsOfAllThreeWindows)
{
    display_set(DSP_CONNECTION, "Connected");
    for (QFrame* lamp : {main.pl_connected, cal.pl_connected, view.pl_connected}) {
        EXPECT_EQ(color(lamp), GREEN);
        EXPECT_TRUE(lamp->autoFillBackground());
    }
    display_set(DSP_CONNECTION, "DISCONNECTED");
    for (QFrame* lamp : {main.pl_connected, cal.pl_connected, view.pl_connected}) EXPECT_EQ(color(lamp), QColor(Qt::black));
}

TEST_F(Windows, LatestLabelsOfTheModesWindow)
{
    const char* names[] = {"lb_lampA_off", "lb_lampA_on", "lb_lampA_delta", "lb_lampB_off", "lb_lampB_on",
                           "lb_lampB_delta", "lb_lampC_off", "lb_lampC_on", "lb_lampC_delta", "lb_lampT_off",
                           "lb_lampT_on", "lb_lampT_delta", "lb_vbat", "lb_temp"};
    for (int i = 0; i < 14; i++) {
        const std::string text = std::to_string(i) + ".25";
        in_mode(MODE_CALIBRATION);
        display_set(DSP_LAMP_A_OFF + i, text.c_str());
        in_mode(MODE_VIEW);
        display_set(DSP_LAMP_A_OFF + i, ("v" + text).c_str());
        auto* cal_label = cal.findChild<QLabel*>(names[i]);
        auto* view_label = view.findChild<QLabel*>(names[i]);
        ASSERT_TRUE(cal_label && view_label) << names[i];
        EXPECT_EQ(cal_label->text().toStdString(), text);
        EXPECT_EQ(view_label->text().toStdString(), "v" + text);
        EXPECT_TRUE(cal_label->alignment() & Qt::AlignRight);
    }
}

TEST_F(Windows, CalibrationControls)
{
    in_mode(MODE_CALIBRATION);
    EXPECT_FALSE(cal.bt_store->isEnabled());
    display_set(DSP_STORE_BUTTON, "enabled");
    EXPECT_TRUE(cal.bt_store->isEnabled());

    display_set(DSP_SERIAL_NUMBER, "4711");
    EXPECT_EQ(cal.ed_SNR->text(), "4711");
    cal.ed_SNR->setText("815");
    EXPECT_STREQ(display_get(DSP_SERIAL_NUMBER), "815");

    for (const char* name : {"I,II,III", "I,II,V"}) port->list_add(WIN_CAL, "cb_configuration", name, cal.cb_configuration->count() + 1);
    EXPECT_EQ(cal.cb_configuration->currentIndex(), -1);
    EXPECT_STREQ(display_get(DSP_CONFIGURATION), "XXXXXX_configuration_undefined");
    display_set(DSP_CONFIGURATION, "i,ii,v");
    EXPECT_EQ(cal.cb_configuration->currentIndex(), 1);
    EXPECT_STREQ(display_get(DSP_CONFIGURATION), "I,II,V");

    cal.PageControl1->setCurrentWidget(cal.TabSheet1);
    display_set(DSP_PANEL, "PANEL_STORED_VALUES");
    EXPECT_EQ(cal.PageControl1->currentWidget(), cal.TabSheet2);
    EXPECT_EQ(cal.PageControl1->tabText(1), "Stored Values");
}

TEST_F(Windows, NewDataLampReturnsToTheButtonFace)
{
    in_mode(MODE_CALIBRATION);
    display_set(DSP_NEW_DATA, "2");
    EXPECT_EQ(color(cal.pl_new_data), GREEN);
    new_data_timer_tick();
    new_data_timer_tick();
    EXPECT_EQ(color(cal.pl_new_data), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(cal.Timer1->interval(), 1000);
    EXPECT_TRUE(cal.Timer1->isActive());
}

TEST_F(Windows, SettingsDialogLists)
{
    display_list_clear(DSP_COM_PORT);
    display_list_add(DSP_COM_PORT, "COM3", 3);
    display_list_add(DSP_COM_PORT, "COM7", 7);
    EXPECT_EQ(settings.cb_com_port->currentIndex(), -1);
    EXPECT_STREQ(display_get(DSP_COM_PORT), "0");
    display_set(DSP_COM_PORT, "7");
    EXPECT_EQ(settings.cb_com_port->currentText(), "COM7");
    EXPECT_STREQ(display_get(DSP_COM_PORT), "7");
    display_set(DSP_COM_PORT, "9");
    EXPECT_EQ(settings.cb_com_port->currentIndex(), -1);

    display_list_add(DSP_TIMEZONE, "UTC+0, GMT", 0);
    display_list_add(DSP_TIMEZONE, "Europe CET", 101);
    display_set(DSP_TIMEZONE, "101");
    EXPECT_STREQ(display_get(DSP_TIMEZONE), "101");

    display_set(DSP_AUTOCONNECT, "1");
    EXPECT_TRUE(settings.cb_autoconnect->isChecked());
    EXPECT_STREQ(display_get(DSP_AUTOCONNECT), "1");
}

TEST_F(Windows, SettingsOpenModallyFromTheMenuInMainMode)
{
    in_mode(MODE_MAIN);
    inside_dialog([this] { settings.bt_cancel->click(); });
    main.exit1->trigger();
    EXPECT_TRUE(dialog_was_visible);
    EXPECT_FALSE(settings.isVisible());
}

TEST_F(Windows, SaveClosesTheDialogAfterReadingItsControls)
{
    display_list_add(DSP_COM_PORT, "COM4", 4);
    inside_dialog([this] {
        settings.cb_com_port->setCurrentIndex(0);
        settings.bt_save->click();
    });
    display_set(DSP_PANEL, "SETTINGS");
    EXPECT_TRUE(dialog_was_visible);
    EXPECT_FALSE(settings.isVisible());
    EXPECT_EQ(app.settings.getInt("last_connect_device_id", 0), 4);
}

TEST_F(Windows, LampBoxesAnswerInViewMode)
{
    in_mode(MODE_VIEW);
    view.cb_lampe_B->setChecked(false);
    EXPECT_STREQ(display_get(3), "1");
    EXPECT_STREQ(display_get(4), "0");
    EXPECT_STREQ(display_get(5), "1");
    EXPECT_STREQ(display_get(6), "1");
}

TEST_F(Windows, LogPanesByModeAndChannel)
{
    in_mode(MODE_MAIN);
    log_printf("main %d", 0);
    EXPECT_EQ(last_line(main.Memo0), "main 0");

    in_mode(MODE_CALIBRATION);
    auto* memo1 = cal.findChild<QPlainTextEdit*>("Memo1");
    auto* memo3 = cal.findChild<QPlainTextEdit*>("Memo3");
    auto* memo4 = cal.findChild<QPlainTextEdit*>("Memo4");
    log_printf("low");
    log_select(2);
    log_printf("text");
    log_select(3);
    log_printf("checks");
    log_select(1);
    log_printf("muted");
    log_select(0);
    EXPECT_EQ(last_line(memo1), "low");
    EXPECT_EQ(last_line(memo3), "text");
    EXPECT_EQ(last_line(memo4), "checks");
    log_clear();
    EXPECT_TRUE(memo1->toPlainText().isEmpty());

    in_mode(MODE_VIEW);
    log_printf("view");
    EXPECT_EQ(last_line(view.Memo1), "view");
    EXPECT_EQ(view.Memo1->maximumBlockCount(), Tqt_ui_port::MAX_PANE_LINES);
}

TEST_F(Windows, ButtonsAndClosingSwitchWindows)
{
    dispatch_command(CMD_MODE_MAIN);
    EXPECT_TRUE(main.isVisible());
    main.Button2->click();
    EXPECT_EQ(bridge_state().current_mode, MODE_CALIBRATION);
    EXPECT_TRUE(cal.isVisible());
    EXPECT_FALSE(main.isVisible());
    cal.close();
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(cal.isVisible());
    EXPECT_EQ(bridge_state().current_mode, MODE_CALIBRATION);

    main.Button1->click();
    EXPECT_EQ(bridge_state().current_mode, MODE_VIEW);
    EXPECT_TRUE(view.isVisible());
    view.close();
    EXPECT_TRUE(main.isVisible());
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(bridge_state().current_mode, MODE_VIEW);
}

TEST_F(Windows, LogToggleAlternatesHeightsAndCaptions)
{
    main.show();
    EXPECT_EQ(main.viewlog1->text(), "Show log");
    EXPECT_TRUE(main.Memo0->isHidden());
    main.viewlog1->trigger();
    EXPECT_FALSE(main.Memo0->isHidden());
    EXPECT_EQ(main.height(), TFframe::LOG_SHOWN_HEIGHT);
    EXPECT_EQ(main.viewlog1->text(), "Hide Log");
    main.viewlog1->trigger();
    EXPECT_TRUE(main.Memo0->isHidden());
    EXPECT_EQ(main.height(), TFframe::LOG_HIDDEN_HEIGHT);
    EXPECT_EQ(main.viewlog1->text(), "Show Log");
}

TEST_F(Windows, CaptionsAndFixedTexts)
{
    EXPECT_EQ(main.windowTitle(), "Dravenor Lumo 2");
    EXPECT_EQ(cal.windowTitle(), "LUMO CAL");
    EXPECT_EQ(view.windowTitle(), "Lumo view");
    EXPECT_EQ(settings.windowTitle(), "Settings");
    EXPECT_EQ(view.bt_load_calibration->text(), "Load calibration file ... ");
    EXPECT_EQ(cal.ed_SNR->text(), "1");
    EXPECT_EQ(settings.Memo1->toPlainText(),
              "note :\ntime zone is used to display data. But the \nprogram also stores the UNIX timestamp of \n"
              "each measurement");
    auto* file = qobject_cast<QMenu*>(main.exit1->associatedObjects().value(0));
    ASSERT_NE(file, nullptr);
    QStringList items;
    for (QAction* action : file->actions()) items << (action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(items, QStringList({"settings...", "-", "Show log", "-", "exit"}));
    EXPECT_EQ(file->title(), "File");
}

}  // namespace

int main(int argc, char** argv)
{
    // Listing the tests at build time has no display either.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
