#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "support/Fake_ui.h"

namespace {

using Tcalls = std::vector<std::string>;

// The application's record and the recording windows, mode chosen per test.
class Bridge : public testing::Test {
protected:
    Bridge() { set_the_app(&app); }
    ~Bridge() override { set_the_app(nullptr); }

    void in_mode(int mode)
    {
        bridge_state().current_mode = mode;
        ui.calls.clear();
    }

    Tlumo2_app app;
    Tfake_ui ui;
};

struct Tset_case {
    const char* name;
    int mode;
    int id;
    const char* text;
    Tcalls calls;
};
void PrintTo(const Tset_case& c, std::ostream* out) { *out << c.name; }

class Display_set : public Bridge, public testing::WithParamInterface<Tset_case> {};

TEST_P(Display_set, ReachesTheControlsOfItsMode)
{
    in_mode(GetParam().mode);
    display_set(GetParam().id, GetParam().text);
    EXPECT_EQ(ui.calls, GetParam().calls);
}

const std::string GREEN = std::to_string(RGB_GREEN);
const std::string BLACK = std::to_string(RGB_BLACK);
const std::string FACE = std::to_string(COLOR_BUTTON_FACE);

INSTANTIATE_TEST_SUITE_P(
    Ids, Display_set,
    testing::Values(
        Tset_case{"ConnectedIgnoresCase", 0, 111, "connected",
                  {"color main pl_connected " + GREEN, "color cal pl_connected " + GREEN,
                   "color view pl_connected " + GREEN}},
        Tset_case{"Disconnected", 2, 111, "DISCONNECTED",
                  {"color main pl_connected " + BLACK, "color cal pl_connected " + BLACK,
                   "color view pl_connected " + BLACK}},
        Tset_case{"UnknownConnectionText", 1, 111, "online", {}},
        Tset_case{"ShowWindow", 0, 100001, "1", {"show cal"}},
        Tset_case{"ShowWindowWithBlanks", 1, 100002, " +1", {"show view"}},
        Tset_case{"NotANumberHides", 0, 100001, "yes", {"hide cal"}},
        Tset_case{"TwoHides", 0, 100000, "2", {"hide main"}},
        Tset_case{"AutoconnectOn", 0, 110, "3", {"checked settings cb_autoconnect 1"}},
        Tset_case{"AutoconnectEmpty", 2, 110, "", {"checked settings cb_autoconnect 0"}},
        Tset_case{"SettingsInMainMode", 0, 600, "settings", {"modal settings"}},
        Tset_case{"SettingsInCalibration", 1, 600, "SETTINGS", {"modal settings"}},
        Tset_case{"StoredValuesPage", 1, 600, "Panel_Stored_Values", {"page cal TabSheet2"}},
        Tset_case{"StoredValuesPageOnlyInCalibration", 2, 600, "PANEL_STORED_VALUES", {}},
        Tset_case{"StoredValuesPageNotInMain", 0, 600, "PANEL_STORED_VALUES", {}},
        Tset_case{"StoreButtonEnabled", 1, 151, "ENABLED", {"enabled cal bt_store 1"}},
        Tset_case{"StoreButtonDisabled", 1, 151, "disabled", {"enabled cal bt_store 0"}},
        Tset_case{"StoreButtonOtherText", 1, 151, "on", {}},
        Tset_case{"StoreButtonNotInMain", 0, 151, "enabled", {}},
        Tset_case{"StoreButtonNotInView", 2, 151, "enabled", {}},
        Tset_case{"SerialNumber", 1, 150, "1234", {"text cal ed_SNR 1234"}},
        Tset_case{"SerialNumberNotInView", 2, 150, "1234", {}},
        Tset_case{"LatestFirstInCalibration", 1, 307, "1.50", {"text cal lb_lampA_off 1.50"}},
        Tset_case{"LatestLastInCalibration", 1, 320, "---", {"text cal lb_temp ---"}},
        Tset_case{"LatestDeltaInView", 2, 312, "0.25", {"text view lb_lampB_delta 0.25"}},
        Tset_case{"LatestBatteryInView", 2, 319, "12.00", {"text view lb_vbat 12.00"}},
        Tset_case{"LatestNotInMain", 0, 308, "1.00", {}},
        Tset_case{"NewDataLamp", 1, 10000, "2", {"color cal pl_new_data " + GREEN}},
        Tset_case{"NewDataLampOff", 1, 10000, "-1", {"color cal pl_new_data " + FACE}},
        Tset_case{"NewDataLampNotInView", 2, 10000, "2", {}},
        Tset_case{"UnknownId", 1, 4242, "1", {}},
        Tset_case{"IdBelowLatest", 2, 306, "1", {}},
        Tset_case{"IdAboveLatest", 1, 321, "1", {}}),
    [](const testing::TestParamInfo<Tset_case>& info) { return info.param.name; });

TEST_F(Bridge, SelectByValueTakesTheLastMatchOrNothing)
{
    in_mode(MODE_MAIN);
    ui.set_items(WIN_SETTINGS, "cb_com_port", {{"COM3", 3}, {"COM7", 7}, {"COM7 again", 7}}, 0);
    display_set(DSP_COM_PORT, "7");
    EXPECT_EQ(ui.list_selected(WIN_SETTINGS, "cb_com_port"), 2);
    display_set(DSP_COM_PORT, "9");
    EXPECT_EQ(ui.list_selected(WIN_SETTINGS, "cb_com_port"), -1);

    ui.set_items(WIN_SETTINGS, "cb_ttimezone", {{"UTC+0, GMT", 0}, {"Europe CET", 101}});
    display_set(DSP_TIMEZONE, "101");
    EXPECT_EQ(ui.selected_text(WIN_SETTINGS, "cb_ttimezone"), "Europe CET");
}

TEST_F(Bridge, ConfigurationAndModelAreSelectedByTheirNamesCode)
{
    in_mode(MODE_CALIBRATION);
    ui.set_items(WIN_CAL, "cb_configuration", {{"I,II,III", 1}, {"I,II,V", 2}}, 0);
    ui.set_items(WIN_CAL, "cb_model", {{"ZETA QX-1", 1}, {"ZETA QX-2", 2}});
    display_set(DSP_CONFIGURATION, "i,ii,v");
    display_set(DSP_MODEL, "ZETA QX-2");
    EXPECT_EQ(ui.list_selected(WIN_CAL, "cb_configuration"), 1);
    EXPECT_EQ(ui.list_selected(WIN_CAL, "cb_model"), 1);
    display_set(DSP_CONFIGURATION, "XXXXXX_configuration_undefined");
    EXPECT_EQ(ui.list_selected(WIN_CAL, "cb_configuration"), -1);

    in_mode(MODE_MAIN);
    display_set(DSP_MODEL, "ZETA QX-1");
    EXPECT_EQ(ui.list_selected(WIN_CAL, "cb_model"), 1);
}

struct Tget_case {
    const char* name;
    int mode;
    int id;
    const char* expected;
};
void PrintTo(const Tget_case& c, std::ostream* out) { *out << c.name; }

class Display_get : public Bridge, public testing::WithParamInterface<Tget_case> {};

TEST_P(Display_get, ReadsTheControlsOfItsMode)
{
    ui.set_items(WIN_SETTINGS, "cb_com_port", {{"COM3", 3}, {"COM7", 7}}, 1);
    ui.set_items(WIN_SETTINGS, "cb_ttimezone", {{"UTC+0, GMT", 0}, {"Europe CET", 101}});
    ui.control(WIN_SETTINGS, "cb_autoconnect").checked = true;
    ui.control(WIN_CAL, "ed_SNR").text = "815";
    ui.set_items(WIN_CAL, "cb_model", {{"ZETA QX-1", 1}, {"ZETA QX-2", 2}}, 1);
    ui.set_items(WIN_CAL, "cb_configuration", {{"I,II,III", 1}, {"I,II,V", 2}});
    ui.control(WIN_VIEW, "cb_lampe_B").checked = true;
    in_mode(GetParam().mode);
    display_get(DSP_COM_PORT);  // leaves a text behind that the next query must not show
    EXPECT_STREQ(display_get(GetParam().id), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ids, Display_get,
    testing::Values(Tget_case{"ComPort", 0, 51, "7"}, Tget_case{"NoTimezoneSelected", 2, 1000, "0"},
                    Tget_case{"Autoconnect", 1, 110, "1"}, Tget_case{"SerialInCalibration", 1, 150, "815"},
                    Tget_case{"SerialNotInMain", 0, 150, ""}, Tget_case{"ModelName", 1, 153, "ZETA QX-2"},
                    Tget_case{"NoConfiguration", 1, 152, "XXXXXX_configuration_undefined"},
                    Tget_case{"ModelNotInView", 2, 153, ""}, Tget_case{"LampA", 2, 3, "0"},
                    Tget_case{"LampB", 2, 4, "1"}, Tget_case{"LampT", 2, 6, "0"},
                    Tget_case{"LampNotInCalibration", 1, 4, ""}, Tget_case{"Unknown", 2, 7, ""},
                    Tget_case{"UnknownInMain", 0, 0, ""}),
    [](const testing::TestParamInfo<Tget_case>& info) { return info.param.name; });

TEST_F(Bridge, ListsOnlyForPortsAndTimezones)
{
    ui.set_items(WIN_SETTINGS, "cb_com_port", {{"COM1", 1}}, 0);
    display_list_clear(DSP_COM_PORT);
    display_list_add(DSP_COM_PORT, "COM4", 4);
    display_list_add(DSP_TIMEZONE, "UTC+1", 1);
    ui.calls.clear();
    display_list_clear(DSP_MODEL);
    display_list_add(DSP_CONFIGURATION, "x", 1);
    EXPECT_EQ(ui.item_texts(WIN_SETTINGS, "cb_com_port"), Tcalls{"COM4"});
    EXPECT_EQ(ui.list_selected(WIN_SETTINGS, "cb_com_port"), -1);
    EXPECT_EQ(ui.list_value(WIN_SETTINGS, "cb_ttimezone", 0), 1);
    EXPECT_TRUE(ui.calls.empty());
}

struct Tcommand_case {
    const char* name;
    int mode;
    int command;
    int mode_after;
    Tcalls calls;
};
void PrintTo(const Tcommand_case& c, std::ostream* out) { *out << c.name; }

class Command : public Bridge, public testing::WithParamInterface<Tcommand_case> {};

TEST_P(Command, ChangesWindowsAndMode)
{
    in_mode(GetParam().mode);
    dispatch_command(GetParam().command);
    EXPECT_EQ(ui.calls, GetParam().calls);
    EXPECT_EQ(bridge_state().current_mode, GetParam().mode_after);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, Command,
    testing::Values(Tcommand_case{"MainMode", 2, CMD_MODE_MAIN, 0, {"show main", "hide cal", "hide view"}},
                    Tcommand_case{"CalibrationMode", 0, CMD_MODE_CALIBRATION, 1, {"hide main", "show cal", "hide view"}},
                    Tcommand_case{"ViewMode", 0, CMD_MODE_VIEW, 2, {"hide main", "hide cal", "show view"}},
                    Tcommand_case{"CloseViewKeepsMode", 2, CMD_CLOSE_VIEW, 2, {"show main", "hide cal", "hide view"}},
                    Tcommand_case{"CloseCalibrationKeepsMode", 1, CMD_CLOSE_CALIBRATION, 1,
                                  {"show main", "hide cal", "hide view"}},
                    Tcommand_case{"Exit", 1, CMD_EXIT, 1, {"quit"}},
                    Tcommand_case{"Quit", 0, CMD_QUIT, 0, {"quit"}},
                    Tcommand_case{"EditSettingsNotInMain", 0, CMD_EDIT_SETTINGS, 0, {}},
                    Tcommand_case{"EditSettingsInCalibration", 1, CMD_EDIT_SETTINGS, 1, {"modal settings"}},
                    Tcommand_case{"EditSettingsInView", 2, CMD_EDIT_SETTINGS, 2, {"modal settings"}},
                    Tcommand_case{"StartInMainDoesNothing", 0, CMD_START, 0, {}},
                    Tcommand_case{"StopInMainDoesNothing", 0, CMD_STOP, 0, {}},
                    Tcommand_case{"Unknown", 1, 12345, 1, {}}),
    [](const testing::TestParamInfo<Tcommand_case>& info) { return info.param.name; });

TEST_F(Bridge, ClosedViewStillAnswersItsQueries)
{
    in_mode(MODE_VIEW);
    ui.control(WIN_VIEW, "cb_lampe_A").checked = true;
    dispatch_command(CMD_CLOSE_VIEW);
    EXPECT_STREQ(display_get(DSP_LAMP_A_ON_QUERY), "1");
}

struct Tpane_case {
    int mode;
    int channel;
    Twindow window;  // ignored when muted
    const char* pane;  // null: muted
};

TEST_F(Bridge, LogLinesGoToThePaneOfModeAndChannel)
{
    const Tpane_case cases[] = {
        {0, 0, WIN_MAIN, "Memo0"}, {0, 1, WIN_MAIN, nullptr}, {0, 2, WIN_MAIN, nullptr},
        {1, 0, WIN_CAL, "Memo1"},  {1, 1, WIN_CAL, nullptr},  {1, 2, WIN_CAL, "Memo3"},
        {1, 3, WIN_CAL, "Memo4"},  {1, 4, WIN_CAL, nullptr},  {1, 255, WIN_CAL, nullptr},
        {2, 0, WIN_VIEW, "Memo1"}, {2, 1, WIN_VIEW, nullptr}, {2, 3, WIN_VIEW, nullptr},
    };
    set_log_sink(log_append);
    for (const Tpane_case& c : cases) {
        Tfake_ui fresh;
        in_mode(c.mode);
        log_select(c.channel);
        log_printf("line %d", 7);
        SCOPED_TRACE(std::to_string(c.mode) + "/" + std::to_string(c.channel));
        if (c.pane) {
            EXPECT_EQ(fresh.lines(c.window, c.pane), Tcalls{"line 7"});
            log_clear();
            EXPECT_TRUE(fresh.lines(c.window, c.pane).empty());
        } else {
            log_clear();
            EXPECT_TRUE(fresh.calls.empty());
            for (const char* pane : {"Memo0", "Memo1", "Memo3", "Memo4"})
                for (Twindow window : {WIN_MAIN, WIN_CAL, WIN_VIEW})
                    EXPECT_TRUE(fresh.lines(window, pane).empty());
        }
    }
    set_log_sink(nullptr);
}

TEST_F(Bridge, NewDataLampStaysLitForTheCountedSeconds)
{
    in_mode(MODE_CALIBRATION);
    display_set(DSP_NEW_DATA, "2");
    EXPECT_EQ(ui.control(WIN_CAL, "pl_new_data").color, RGB_GREEN);
    new_data_timer_tick();
    EXPECT_EQ(ui.control(WIN_CAL, "pl_new_data").color, RGB_GREEN);
    new_data_timer_tick();
    EXPECT_EQ(ui.control(WIN_CAL, "pl_new_data").color, COLOR_BUTTON_FACE);
    ui.calls.clear();
    new_data_timer_tick();
    EXPECT_TRUE(ui.calls.empty());
    EXPECT_EQ(bridge_state().new_data_counter, 0);

    // Lamp off by number: the count keeps running.
    display_set(DSP_NEW_DATA, "3");
    display_set(DSP_NEW_DATA, "0");
    EXPECT_EQ(bridge_state().new_data_counter, 3);
}

TEST_F(Bridge, LogResetReturnsToChannelZeroAndStopsTheLamp)
{
    log_select(3);
    bridge_state().new_data_counter = 2;
    log_reset();
    EXPECT_EQ(bridge_state().log_channel, 0);
    EXPECT_EQ(bridge_state().new_data_counter, 0);
}

TEST(Bridge_without_app, KeepsItsStateAndIgnoresMissingWindows)
{
    ASSERT_EQ(the_app(), nullptr);
    ASSERT_EQ(ui_port(), nullptr);
    log_select(2);
    EXPECT_EQ(bridge_state().log_channel, 2);
    log_reset();
    display_set(DSP_CONNECTION, "CONNECTED");
    log_append("nowhere");
    EXPECT_STREQ(display_get(DSP_AUTOCONNECT), "");
    dispatch_command(CMD_MODE_VIEW);
    EXPECT_EQ(bridge_state().current_mode, MODE_VIEW);
    dispatch_command(CMD_START);
    dispatch_tick();
    EXPECT_FALSE(send_to_instrument(reinterpret_cast<const unsigned char*>("@"), 1));
    dispatch_command(CMD_MODE_MAIN);
}

}  // namespace
