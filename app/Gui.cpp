#include "app/Gui.h"

#include <initializer_list>

#include "app/Lumo2_app.h"
#include "app/Ui_port.h"
#include "events/Lib_cpp.h"
#include "view/Codes.h"

namespace {

// By display id, from 307.
const char* const LATEST_LABELS[] = {
    "lb_lampA_off", "lb_lampA_on", "lb_lampA_delta", "lb_lampB_off", "lb_lampB_on",
    "lb_lampB_delta", "lb_lampC_off", "lb_lampC_on", "lb_lampC_delta", "lb_lampT_off",
    "lb_lampT_on", "lb_lampT_delta", "lb_vbat", "lb_temp",
};

// The view window's lamp boxes, queries 3 to 6.
const char* const LAMP_BOXES[] = {"cb_lampe_A", "cb_lampe_B", "cb_lampe_C", "cb_lampe_T"};

bool same_text(const char* a, const char* b) { return equal_ignore_case(a, b) == 0; }

int number_of(const char* text)
{
    int value = 0;
    parse_int(text, &value);
    return value;
}

// Selects the last item carrying the value, or nothing when none does.
void select_by_value(Tui_port* ui, Twindow window, const char* control, int value)
{
    int index = -1;
    const int count = ui->list_count(window, control);
    for (int i = 0; i < count; i++)
        if (ui->list_value(window, control, i) == value) index = i;
    ui->list_select(window, control, index);
}

// The selected item's value, 0 without a selection.
int selected_value(Tui_port* ui, Twindow window, const char* control)
{
    const int index = ui->list_selected(window, control);
    return index < 0 ? 0 : ui->list_value(window, control, index);
}

unsigned char code_byte(int value) { return (value >= 0 && value <= 255) ? (unsigned char)value : 0; }

// Combo boxes whose items carry a value, by list id.
const char* value_list(int id)
{
    switch (id) {
    case DSP_COM_PORT: return "cb_com_port";
    case DSP_TIMEZONE: return "cb_ttimezone";
    default: return nullptr;
    }
}

void show_windows(bool main, bool cal, bool view)
{
    display_set(DSP_MAIN_WINDOW, main ? "1" : "0");
    display_set(DSP_CAL_WINDOW, cal ? "1" : "0");
    display_set(DSP_VIEW_WINDOW, view ? "1" : "0");
}

void set_connection_lamps(Tui_port* ui, unsigned rgb)
{
    for (Twindow window : {WIN_MAIN, WIN_CAL, WIN_VIEW}) ui->set_color(window, "pl_connected", rgb);
}

void display_set_all_modes(Tui_port* ui, int id, const char* text)
{
    switch (id) {
    case DSP_COM_PORT:
    case DSP_TIMEZONE:
        select_by_value(ui, WIN_SETTINGS, value_list(id), number_of(text));
        break;
    case DSP_AUTOCONNECT:
        ui->set_checked(WIN_SETTINGS, "cb_autoconnect", number_of(text) != 0);
        break;
    case DSP_RESUME:
        ui->set_checked(WIN_SETTINGS, "cb_resume", number_of(text) != 0);
        break;
    case DSP_VIEW_STATE:
        ui->set_text(WIN_VIEW, "lb_measuring", text);
        break;
    case DSP_CONNECTION:
        if (same_text(text, "CONNECTED")) set_connection_lamps(ui, RGB_GREEN);
        else if (same_text(text, "DISCONNECTED")) set_connection_lamps(ui, RGB_BLACK);
        break;
    case DSP_PANEL:
        if (same_text(text, "SETTINGS")) ui->show_modal(WIN_SETTINGS);
        break;
    case DSP_MAIN_WINDOW:
        ui->show_window(WIN_MAIN, number_of(text) == 1);
        break;
    case DSP_CAL_WINDOW:
        ui->show_window(WIN_CAL, number_of(text) == 1);
        break;
    case DSP_VIEW_WINDOW:
        ui->show_window(WIN_VIEW, number_of(text) == 1);
        break;
    }
}

bool set_latest_label(Tui_port* ui, Twindow window, int id, const char* text)
{
    const char* label = latest_label_name(id);
    if (!label) return false;
    ui->set_text(window, label, text);
    return true;
}

void display_set_calibration(Tui_port* ui, int id, const char* text)
{
    if (set_latest_label(ui, WIN_CAL, id, text)) return;
    switch (id) {
    case DSP_SERIAL_NUMBER:
        ui->set_text(WIN_CAL, "ed_SNR", text);
        break;
    case DSP_STORE_BUTTON:
        if (same_text(text, "enabled")) ui->set_enabled(WIN_CAL, "bt_store", true);
        else if (same_text(text, "disabled")) ui->set_enabled(WIN_CAL, "bt_store", false);
        break;
    case DSP_CONFIGURATION:
        select_by_value(ui, WIN_CAL, "cb_configuration", configuration_code(text));
        break;
    case DSP_MODEL:
        select_by_value(ui, WIN_CAL, "cb_model", model_code(text));
        break;
    case DSP_PANEL:
        if (same_text(text, "PANEL_STORED_VALUES")) ui->show_page(WIN_CAL, "TabSheet2");
        break;
    case DSP_READING_AGE:
        ui->set_text(WIN_CAL, "lb_reading_age", text);
        break;
    case DSP_NEW_DATA: {
        const int seconds = number_of(text);
        if (seconds > 0) {
            bridge_state().new_data_counter = seconds;
            ui->set_color(WIN_CAL, "pl_new_data", RGB_GREEN);
        } else {
            ui->set_color(WIN_CAL, "pl_new_data", COLOR_BUTTON_FACE);
        }
        break;
    }
    }
}

void display_get_all_modes(Tui_port* ui, int id, Tmy_string* out)
{
    switch (id) {
    case DSP_COM_PORT:
    case DSP_TIMEZONE:
        out->format("%d", selected_value(ui, WIN_SETTINGS, value_list(id)));
        break;
    case DSP_AUTOCONNECT:
        out->assign(ui->is_checked(WIN_SETTINGS, "cb_autoconnect") ? "1" : "0");
        break;
    case DSP_RESUME:
        out->assign(ui->is_checked(WIN_SETTINGS, "cb_resume") ? "1" : "0");
        break;
    }
}

void display_get_calibration(Tui_port* ui, int id, Tmy_string* out)
{
    switch (id) {
    case DSP_SERIAL_NUMBER:
        out->assign(ui->get_text(WIN_CAL, "ed_SNR"));
        break;
    case DSP_CONFIGURATION:
        out->assign(configuration_name(code_byte(selected_value(ui, WIN_CAL, "cb_configuration"))));
        break;
    case DSP_MODEL:
        out->assign(model_name(code_byte(selected_value(ui, WIN_CAL, "cb_model"))));
        break;
    }
}

void display_get_view(Tui_port* ui, int id, Tmy_string* out)
{
    if (id < DSP_LAMP_A_ON_QUERY || id > DSP_LAMP_A_ON_QUERY + 3) return;
    out->assign(ui->is_checked(WIN_VIEW, LAMP_BOXES[id - DSP_LAMP_A_ON_QUERY]) ? "1" : "0");
}

struct Tpane {
    Twindow window;
    const char* control;
};

// The pane of the current mode and log channel; false when it is muted.
bool current_pane(Tpane* pane)
{
    const Tbridge_state& state = bridge_state();
    const int mode = state.current_mode;
    const int channel = state.log_channel;
    if (mode == MODE_MAIN && channel == 0) *pane = {WIN_MAIN, "Memo0"};
    else if (mode == MODE_VIEW && channel == 0) *pane = {WIN_VIEW, "Memo1"};
    else if (mode == MODE_CALIBRATION && channel == 0) *pane = {WIN_CAL, "Memo1"};
    else if (mode == MODE_CALIBRATION && channel == 2) *pane = {WIN_CAL, "Memo3"};
    else if (mode == MODE_CALIBRATION && channel == 3) *pane = {WIN_CAL, "Memo4"};
    else return false;
    return true;
}

void dispatch_all_modes(Tlumo2_app* app, int command)
{
    Tbridge_state& state = bridge_state();
    switch (command) {
    case CMD_UPDATE_PORTS:
        if (app) app->common.updatePortList();
        return;
    case CMD_CONNECT:
        if (app) app->common.connectPort();
        return;
    case CMD_DISCONNECT:
        if (app) app->common.disconnectPort();
        return;
    case CMD_CONNECT_ASKED:
        if (app) app->common.connect_asked();
        return;
    case CMD_TOGGLE_CONNECTION:
        if (app && app->common.connected()) app->common.disconnectPort();
        else if (app) app->common.connect_asked();
        return;
    case CMD_EXIT:
    case CMD_QUIT:
        if (ui_port()) ui_port()->quit();
        return;
    case CMD_SAVE_SETTINGS:
        if (app) app->common.saveSettings();
        return;
    case CMD_MODE_MAIN:
        show_windows(true, false, false);
        state.current_mode = MODE_MAIN;
        return;
    case CMD_MODE_CALIBRATION:
        show_windows(false, true, false);
        state.current_mode = MODE_CALIBRATION;
        if (app) app->cal_master.enter();
        return;
    case CMD_MODE_VIEW:
        show_windows(false, false, true);
        state.current_mode = MODE_VIEW;
        if (app) app->view_master.enter();
        return;
    case CMD_CLOSE_CALIBRATION:
        show_windows(true, false, false);
        if (app) app->cal_master.window_closed();
        return;
    case CMD_CLOSE_VIEW:
        show_windows(true, false, false);
        if (app) app->view_master.window_closed();
        return;
    }
}

void dispatch_calibration(Tlumo2_app* app, int command)
{
    switch (command) {
    case CMD_START: app->cal_master.start_acquisition(); break;
    case CMD_STOP: app->cal_master.stop_acquisition(); break;
    case CMD_EDIT_SETTINGS: display_set(DSP_PANEL, "SETTINGS"); break;
    case CMD_CALC_CALIBRATION: app->cal_master.calculate(nullptr); break;
    case CMD_CLEAR: app->cal_master.clear_samples(); break;
    }
}

void dispatch_view(Tlumo2_app* app, int command)
{
    switch (command) {
    case CMD_START: app->view_master.start(); break;
    case CMD_STOP: app->view_master.OnStop(); break;
    case CMD_EDIT_SETTINGS: display_set(DSP_PANEL, "SETTINGS"); break;
    case CMD_CLEAR: app->view_master.clear(); break;
    }
}

}  // namespace

const char* latest_label_name(int id)
{
    if (id < DSP_LAMP_A_OFF || id > DSP_TEMPERATURE) return nullptr;
    return LATEST_LABELS[id - DSP_LAMP_A_OFF];
}

Tbridge_state& bridge_state()
{
    // Without the application's record (tests of single pieces) the bridge
    // keeps its state here.
    static Tbridge_state fallback;
    Tlumo2_app* app = the_app();
    return app ? app->bridge : fallback;
}

void dispatch_command(int command)
{
    Tlumo2_app* app = the_app();
    dispatch_all_modes(app, command);
    if (!app) return;
    if (bridge_state().current_mode == MODE_CALIBRATION) dispatch_calibration(app, command);
    if (bridge_state().current_mode == MODE_VIEW) dispatch_view(app, command);
}

void display_set(int id, const char* text)
{
    Tui_port* ui = ui_port();
    if (!ui) return;
    if (!text) text = "";
    display_set_all_modes(ui, id, text);
    const int mode = bridge_state().current_mode;
    if (mode == MODE_CALIBRATION) display_set_calibration(ui, id, text);
    else if (mode == MODE_VIEW) set_latest_label(ui, WIN_VIEW, id, text);
}

const char* display_get(int id)
{
    Tmy_string& out = bridge_state().display_text;
    out.clear();
    Tui_port* ui = ui_port();
    if (!ui) return out.c_str();
    display_get_all_modes(ui, id, &out);
    const int mode = bridge_state().current_mode;
    if (mode == MODE_CALIBRATION) display_get_calibration(ui, id, &out);
    else if (mode == MODE_VIEW) display_get_view(ui, id, &out);
    return out.c_str();
}

void display_list_clear(int id)
{
    Tui_port* ui = ui_port();
    if (ui && value_list(id)) ui->list_clear(WIN_SETTINGS, value_list(id));
}

void display_list_add(int id, const char* text, int value)
{
    Tui_port* ui = ui_port();
    if (ui && value_list(id)) ui->list_add(WIN_SETTINGS, value_list(id), text ? text : "", value);
}

void log_append(const char* text)
{
    Tpane pane;
    if (ui_port() && current_pane(&pane)) ui_port()->append_line(pane.window, pane.control, text ? text : "");
}

void log_clear()
{
    Tpane pane;
    if (ui_port() && current_pane(&pane)) ui_port()->clear_lines(pane.window, pane.control);
}

void log_select(int channel) { bridge_state().log_channel = (unsigned char)channel; }

void log_reset()
{
    bridge_state().log_channel = 0;
    bridge_state().new_data_counter = 0;
}

void dispatch_tick()
{
    Tlumo2_app* app = the_app();
    if (!app) return;
    if (bridge_state().current_mode == MODE_CALIBRATION) app->cal_master.tick();
    else if (bridge_state().current_mode == MODE_VIEW) app->view_master.tick();
}

void dispatch_data(int kind, const unsigned char* bytes, unsigned length)
{
    Tlumo2_app* app = the_app();
    if (!app) return;
    if (bridge_state().current_mode == MODE_CALIBRATION) app->cal_master.on_instrument_data(kind, bytes, length);
    else if (bridge_state().current_mode == MODE_VIEW) app->view_master.on_data(kind, bytes, length);
}

bool send_to_instrument(const unsigned char* bytes, unsigned length)
{
    Tlumo2_app* app = the_app();
    return app ? app->common.send(bytes, length) : false;
}

bool instrument_connected()
{
    Tlumo2_app* app = the_app();
    return app && app->common.connected();
}

void new_data_timer_tick()
{
    Tbridge_state& state = bridge_state();
    if (state.new_data_counter <= 0) return;
    state.new_data_counter--;
    if (state.new_data_counter == 0 && ui_port()) ui_port()->set_color(WIN_CAL, "pl_new_data", COLOR_BUTTON_FACE);
}
