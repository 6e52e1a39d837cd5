#pragma once
#include "events/My_string.h"

// The numbered bridge between the windows and the logic.

enum Tcommand {
    CMD_START = 1,
    CMD_STOP = 2,
    CMD_EDIT_SETTINGS = 6,
    CMD_UPDATE_PORTS = 8,
    CMD_CONNECT = 9,
    CMD_EXIT = 10,
    CMD_DISCONNECT = 12,
    // As CMD_CONNECT, saying so when no port is chosen.
    CMD_CONNECT_ASKED = 14,
    // CMD_CONNECT_ASKED when not connected, else CMD_DISCONNECT.
    CMD_TOGGLE_CONNECTION = 16,
    CMD_SAVE_SETTINGS = 13,
    CMD_CALC_CALIBRATION = 15,
    CMD_CLEAR = 100,
    CMD_MODE_MAIN = 10000,
    CMD_MODE_CALIBRATION = 10001,
    CMD_MODE_VIEW = 10002,
    CMD_QUIT = 11000,
    CMD_CLOSE_CALIBRATION = 11001,
    CMD_CLOSE_VIEW = 11002,
};

enum Tdisplay_id {
    DSP_LAMP_A_ON_QUERY = 3,  // queries 3..6: the view window's lamp boxes
    DSP_COM_PORT = 51,
    DSP_AUTOCONNECT = 110,
    DSP_CONNECTION = 111,
    DSP_RESUME = 112,  // the settings dialog's "resume after a crash" box
    DSP_SERIAL_NUMBER = 150,
    DSP_STORE_BUTTON = 151,
    DSP_CONFIGURATION = 152,
    DSP_MODEL = 153,
    DSP_READING_AGE = 154,  // the calibration window's age of the latest reading
    DSP_LAMP_A_OFF = 307,
    DSP_LAMP_A_ON = 308,
    DSP_LAMP_A_DELTA = 309,
    DSP_LAMP_B_OFF = 310,
    DSP_LAMP_B_ON = 311,
    DSP_LAMP_B_DELTA = 312,
    DSP_LAMP_C_OFF = 313,
    DSP_LAMP_C_ON = 314,
    DSP_LAMP_C_DELTA = 315,
    DSP_LAMP_T_OFF = 316,
    DSP_LAMP_T_ON = 317,
    DSP_LAMP_T_DELTA = 318,
    DSP_VBAT = 319,
    DSP_TEMPERATURE = 320,
    DSP_VIEW_STATE = 330,  // the view window's line on measuring and its last row
    DSP_PANEL = 600,
    DSP_TIMEZONE = 1000,
    DSP_NEW_DATA = 10000,
    DSP_MAIN_WINDOW = 100000,
    DSP_CAL_WINDOW = 100001,
    DSP_VIEW_WINDOW = 100002,
};

// The object name of the "Latest" label that display id 307 to 320 sets, in
// both measuring windows; null for any other id.
const char* latest_label_name(int id);

enum Tmode { MODE_MAIN = 0, MODE_CALIBRATION = 1, MODE_VIEW = 2 };

// Bridge state, part of the application's global record.
struct Tbridge_state {
    int current_mode = 0;
    Tmy_string display_text;
    unsigned char log_channel = 0;
    int new_data_counter = 0;
};
Tbridge_state& bridge_state();

void dispatch_command(int command);
void display_set(int id, const char* text);
const char* display_get(int id);
void display_list_clear(int id);
void display_list_add(int id, const char* text, int value);

void log_append(const char* text);
void log_clear();
void log_select(int channel);
void log_reset();

void dispatch_tick();
void dispatch_data(int kind, const unsigned char* bytes, unsigned length);
bool send_to_instrument(const unsigned char* bytes, unsigned length);
// True while the link to the instrument is open.
bool instrument_connected();

// The calibration window's one-second timer: counts the new-data lamp down.
void new_data_timer_tick();
