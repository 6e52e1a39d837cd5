#include "link/Lumo2_common.h"

#include "app/Gui.h"
#include "app/Lumo2_app.h"
#include "events/Lib_cpp.h"
#include "link/Inprocess_port.h"
#include "link/Serial_enum.h"
#include "link/Serial_ports.h"

namespace {

struct Ttimezone_choice {
    const char* text;
    int value;
    const char* rule;  // as the TZ variable writes it
};
constexpr Ttimezone_choice TIMEZONES[] = {{"UTC+0, GMT", 0, "UTC0"},
                                          {"UTC+1", 1, "<+01>-1"},
                                          {"UTC+2", 2, "<+02>-2"},
                                          {"Europe CET", 101, "CET-1CEST,M3.5.0,M10.5.0/3"}};

constexpr int INSTRUMENT_BAUD = 9600;
constexpr unsigned char LINE_FEED = 0x0A;
constexpr unsigned char FRAME_OPEN = 0x24;   // '$'
constexpr unsigned char FRAME_CLOSE = 0x21;  // '!'

// A list or box value as a number; empty or unparsable text gives 0.
int display_number(int id) {
    int value = 0;
    parse_int(display_get(id), &value);
    return value;
}

Tsettings* settings_store() { return the_app() ? &the_app()->settings : nullptr; }

// The view window says whether its requests reach the instrument.
void show_view_state() {
    if (the_app())
        the_app()->view_master.show_state();
}

void scan_present_ports(unsigned char table[SERIAL_PORT_TABLE_SIZE]) {
    Tserial_enum().scan(table);
    mark_inprocess_devices(table);
}

}  // namespace

Ttime_zone display_time_zone(int code, std::string* caption)
{
    Ttime_zone zone;
    *caption = TIMEZONES[0].text;
    for (const Ttimezone_choice& choice : TIMEZONES)
        if (choice.value == code && zone.set_rule(choice.rule))
            *caption = choice.text;
    return zone;
}

Tlumo2_common::Tlumo2_common() : data_sink(dispatch_data), port_scan(scan_present_ports) {
    setParam("name", "common");
    setParam("verbose", "1");
    serial_port = new Tserial_resource;
    serial_port->setParam("name", "com");
    delay = new Tdelay_resource;
    delay->setParam("name", "delay_master");
    serial_port->connect(this);
    delay->connect(this);
}

Tlumo2_common::~Tlumo2_common() {
    delete serial_port;
    delete delay;
}

void Tlumo2_common::start() {
    if (!started) {
        started = true;
        delay->setDelay(TICK_MS);
        dispatch_tick();
    }
    updatePortList();
    display_list_clear(DSP_TIMEZONE);
    for (const Ttimezone_choice& choice : TIMEZONES)
        display_list_add(DSP_TIMEZONE, choice.text, choice.value);
    if (Tsettings* settings = settings_store()) {
        autonnect = settings->getInt("autonnect", 0);
        last_connect_device_id = settings->getInt("last_connect_device_id", 0);
        ttimezone = settings->getInt("ttimezone", 0);
        resume = settings->getInt("resume", 1);
    }
    Tmy_string text;
    text.format("%d", last_connect_device_id);
    display_set(DSP_COM_PORT, text.c_str());
    text.format("%d", ttimezone);
    display_set(DSP_TIMEZONE, text.c_str());
    text.format("%d", autonnect);
    display_set(DSP_AUTOCONNECT, text.c_str());
    text.format("%d", resume);
    display_set(DSP_RESUME, text.c_str());
    if (autonnect == 1)
        connectPort();
}

void Tlumo2_common::updatePortList() {
    unsigned char present[SERIAL_PORT_TABLE_SIZE];
    port_scan(present);
    display_list_clear(DSP_COM_PORT);
    Tmy_string text;
    Tmy_string description;
    for (int port = 0; port < SERIAL_PORT_TABLE_SIZE; ++port)
        if (present[port]) {
            text.format("COM%d", port);
            serial_port_description(port, &description);
            if (description.length() > 0)
                text.appendFormat(" (%s)", description.c_str());
            display_list_add(DSP_COM_PORT, text.c_str(), port);
        }
}

void Tlumo2_common::connectPort() {
    const int port = display_number(DSP_COM_PORT);
    if (port <= 0)
        return;
    serial_port_path(port, &port_name);
    log_printf("Connecting to %s", port_name.c_str());
    awaiting_request = true;
    serial_port->open(port_name.c_str(), INSTRUMENT_BAUD, 0, 8, false, 0, 1);
}

void Tlumo2_common::connect_asked() {
    if (display_number(DSP_COM_PORT) <= 0)
        log_printf("No COM port chosen: choose the instrument's port in File > \"settings...\", then connect");
    else
        connectPort();
}

void Tlumo2_common::disconnectPort() {
    if (connected())
        serial_port->close();
}

bool Tlumo2_common::connected() const {
    return serial_port->platform && serial_port->platform->device_open();
}

void Tlumo2_common::saveSettings() {
    const int port = display_number(DSP_COM_PORT);
    if (port > 0)
        last_connect_device_id = port;
    ttimezone = display_number(DSP_TIMEZONE);
    autonnect = display_number(DSP_AUTOCONNECT);
    resume = display_number(DSP_RESUME);
    Tsettings* settings = settings_store();
    if (!settings)
        return;
    settings->setInt("last_connect_device_id", last_connect_device_id);
    settings->setInt("autonnect", autonnect);
    settings->setInt("ttimezone", ttimezone);
    settings->setInt("resume", resume);
    settings->save();
}

bool Tlumo2_common::send(const unsigned char* bytes, unsigned length) {
    rx_line.clear();
    awaiting_request = false;
    return serial_port->sendData(bytes, length);
}

void Tlumo2_common::OnEvent(Tmy_event* event) {
    if (event == &delay->ev_success) {
        dispatch_tick();
        if (frame_mode_ticks > 0)
            --frame_mode_ticks;
        delay->setDelay(TICK_MS);
    } else if (event == &serial_port->ev_connected) {
        display_set(DSP_CONNECTION, "CONNECTED");
        log_printf("Serial connected on port %s", port_name.c_str());
        show_view_state();
    } else if (event == &serial_port->ev_disconnected) {
        display_set(DSP_CONNECTION, "DISCONNECTED");
        log_printf("Serial disconnected on port %s", port_name.c_str());
        show_view_state();
    } else if (event == &serial_port->ev_data_arrival) {
        const int count = serial_port->getRxCount();
        const unsigned char* bytes = serial_port->getRxBuffer();
        for (int i = 0; bytes && i < count; ++i)
            onRxByte(bytes[i]);
        serial_port->rearmRead();
    }
}

// '$' opens a frame and a 35 s window in which line feeds mean nothing; '!'
// closes the frame but not the window. A completed line or frame is handed
// over from a copy, so that a handler may send (which empties rx_line).
// Bytes before the first request since connecting are stale.
void Tlumo2_common::onRxByte(unsigned char byte) {
    if (awaiting_request)
        return;
    if (byte == FRAME_OPEN) {
        frame_mode_ticks = FRAME_WINDOW_TICKS;
        rx_line.clear();
    }
    if (rx_line.length() >= RX_LINE_LIMIT)
        rx_line.clear();
    const char as_char = char(byte);
    rx_line.append(&as_char, 1);
    const bool frame_end = frame_mode_ticks != 0 && byte == FRAME_CLOSE;
    const bool line_end = frame_mode_ticks == 0 && byte == LINE_FEED;
    if (!frame_end && !line_end)
        return;
    Tmy_string completed;
    completed.assign(&rx_line);
    rx_line.clear();
    const auto* bytes = reinterpret_cast<const unsigned char*>(completed.c_str());
    if (frame_end)
        decodeFrame(bytes, completed.length(), data_sink);
    else if (data_sink)
        data_sink(0, bytes, completed.length());
}
