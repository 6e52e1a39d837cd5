#include "view/Lumo2_view_master.h"

#include <cstring>

#include "app/Gui.h"
#include "events/Lib_cpp.h"
#include "events/Lib_cpp_os.h"
#include "events/Lib_time.h"
#include "events/My_string.h"
#include "link/Lumo_data.h"

namespace {

constexpr unsigned char REQUEST_BASE = 0x40;
constexpr int LOG_CHANNEL_VIEW = 0;
constexpr int SHOW_LOG_AND_DISPLAY = 3;
constexpr unsigned HEX_DUMP_PER_LINE = 16;

enum Tdata_kind { DATA_TEXT_LINE = 0, DATA_FRAME_PAYLOAD = 1 };

// The line as logged: every CR and LF removed.
std::string without_line_ends(const unsigned char* bytes, unsigned length) {
    std::string text;
    for (unsigned i = 0; i < length; ++i)
        if (bytes[i] != '\r' && bytes[i] != '\n') text.push_back(static_cast<char>(bytes[i]));
    return text;
}

}  // namespace

Tlumo2_view_master::Tlumo2_view_master() { setParam("name", "view_master"); }

void Tlumo2_view_master::start() {
    if (running) return;
    running = 1;
    countdown = request_period_ms;
    OnAcq();
    // The request went nowhere: the user must learn why, and how to connect.
    if (!instrument_connected())
        log_printf("Not connected to the instrument: File > \"connect\" connects to the COM port chosen in "
                   "File > \"settings...\"");
    show_state();
}

void Tlumo2_view_master::OnStop() {
    log_printf("OnStop");
    running = 0;
    keep_state();
    show_state();
}

void Tlumo2_view_master::window_closed() {
    if (!running) return;
    running = 0;
    keep_state();
    show_state();
}

std::string Tlumo2_view_master::state_text() const {
    const std::string period = request_period_ms % 1000 == 0 ? std::to_string(request_period_ms / 1000) + " s"
                                                             : std::to_string(request_period_ms) + " ms";
    std::string text = running ? "Measuring, a row every " + period : std::string("Stopped");
    if (table.data_rows() > 0) {
        Tmy_string date;
        table.cell_text(table.data_rows() - 1, 1, &date);
        text += std::string(", last row ") + date.c_str() + " UTC";
    }
    if (running && !instrument_connected()) text += ". NOT CONNECTED: File > connect";
    return text;
}

void Tlumo2_view_master::show_state() { display_set(DSP_VIEW_STATE, state_text().c_str()); }

Tresume_state Tlumo2_view_master::resume_state() const {
    Tresume_state state;
    state.measuring = running != 0;
    state.lamps = requested_lamps;
    state.constants = constants_path;
    return state;
}

void Tlumo2_view_master::keep_state() { resume_keeper.keep(resume_state(), journal.current_path()); }

void Tlumo2_view_master::tick() {
    if (!running) return;
    if (countdown > 0) countdown -= TICK_MS;
    if (countdown < 0) countdown = 0;
    if (countdown == 0) {
        countdown = request_period_ms;
        OnAcq();
    }
}

void Tlumo2_view_master::set_request_period(int ms) {
    request_period_ms = ms < TICK_MS ? TICK_MS : ms / TICK_MS * TICK_MS;
}

void Tlumo2_view_master::OnAcq() {
    log_printf("OnAcq");
    unsigned char request = REQUEST_BASE;
    for (int lamp = 0; lamp < 4; ++lamp)
        if (std::strcmp(display_get(DSP_LAMP_A_ON_QUERY + lamp), "1") == 0) request |= 1u << lamp;
    send_to_instrument(&request, 1);
    log_printf("TX : %c", request);
    requested_lamps = request & 0xFu;
    keep_state();
}

void Tlumo2_view_master::load_calibration(const char* path) {
    constants.clear();
    constants_path.clear();
    int result = constants.getcalib(path);
    log_printf("Loading calibration file %s", path ? path : "");
    constants_path = result == 0 && path ? path : "";
    keep_state();
    if (result != 0) {
        log_printf("error x%x", result);
        return;
    }
    log_printf("done");
    log_printf("ca = %f", constants.water(LAMP_T));
    log_printf("c0 = %f", constants.c0);
    log_printf("c1 = %f", constants.c1);
    log_printf("c2 = %f", constants.c2);
}

void Tlumo2_view_master::on_data(int kind, const unsigned char* bytes, unsigned length) {
    if (!bytes || (kind != DATA_TEXT_LINE && kind != DATA_FRAME_PAYLOAD)) return;
    Tlumo_measure record;
    if (kind == DATA_FRAME_PAYLOAD) {
        hex_dump("VIRO LUMO ", bytes, length, HEX_DUMP_PER_LINE);
        record.reset();
        parse_frame_payload(&record, bytes, length);
    } else {
        log_printf("RX : %s", without_line_ends(bytes, length).c_str());
        record.reset();
        std::string line(reinterpret_cast<const char*>(bytes), length);
        parse_text_line(&record, line.c_str());
    }
    record.timestamp = unix_time_now();
    log_select(LOG_CHANNEL_VIEW);
    record.show(SHOW_LOG_AND_DISPLAY);
    if (constants.valid) convert(&record);
    table.table_add(&record);
    // The first row of a table begins its journal, beside which the state
    // goes.
    keep_state();
    show_state();
}

// The lamp deltas to ppb and NTU, for the lamps that delivered.
void Tlumo2_view_master::convert(Tlumo_measure* record) {
    conversion_record conversion;
    for (int lamp = 0; lamp < 3; ++lamp) {
        if (is_undefined(record->delta[lamp])) continue;
        conversion.signal[lamp] = record->delta[lamp];
        conversion.has_signal[lamp] = 1;
    }
    if (!is_undefined(record->delta[LAMP_T])) {
        conversion.signal_t = record->delta[LAMP_T];
        conversion.has_t = 1;
    }
    constants.convert(&conversion);
    float* results[3] = {&record->ppb_a, &record->ppb_b, &record->ppb_c};
    static const char* const lines[3] = {"Lamp A : %0.3f ppb", "Lamp B : %0.3f ppb", "Lamp C : %0.3f ppb"};
    for (int lamp = 0; lamp < 3; ++lamp) {
        if (!conversion.has_signal[lamp]) continue;
        *results[lamp] = static_cast<float>(conversion.ppb[lamp]);
        log_printf(lines[lamp], conversion.ppb[lamp]);
    }
    if (conversion.has_t) {
        record->ntu = static_cast<float>(conversion.ntu);
        log_printf("Lamp Turbidity : %0.3f NTU", conversion.ntu);
    }
}

void Tlumo2_view_master::table_save(const char* path) {
    std::string text;
    table.table_text(&text);
    save_text(path, text);
}

bool Tlumo2_view_master::save_text(const char* path, const std::string& text) {
    std::string reason;
    if (write_file_replacing(path, text.data(), text.size(), &reason)) return true;
    log_printf("ERROR : unable to write \"%s\": %s", path ? path : "", reason.c_str());
    return false;
}
