#pragma once
#include "events/Delay_resource.h"
#include "events/My_string.h"
#include "events/Sequence.h"
#include "events/Time_zone.h"
#include "link/Lumo_data.h"
#include "link/Serial_ports.h"
#include "link/Serial_resource.h"

// The connection master: the link to the instrument and the 100 ms tick.
// Settings are those of the application's settings store.
class Tlumo2_common : public Tsequence {
public:
    Tlumo2_common();
    ~Tlumo2_common() override;

    // Arms the tick, fills the port and time-zone lists, shows the saved
    // settings and connects when automatic connection is set.
    void start();
    void updatePortList();
    void connectPort();
    // connectPort for a user who asked: without a chosen port, says so.
    void connect_asked();
    // Closes the port; its "DISCONNECTED" follows as for a pulled adapter.
    void disconnectPort();
    // The port is open (it may still be that nothing answers).
    bool connected() const;
    void saveSettings();
    // True when rejected. Discards any partly received line or frame.
    bool send(const unsigned char* bytes, unsigned length);
    void OnEvent(Tmy_event* event) override;

    // The receive state machine: one byte from the instrument.
    void onRxByte(unsigned char byte);
    // Where completed lines and frame payloads go (dispatch_data unless a
    // test captures them).
    void set_data_sink(Tdata_sink sink) { data_sink = sink; }
    // What fills the port list (the platform's enumerator unless a test
    // stands in for a port the platform cannot list).
    using Tport_scan = void (*)(unsigned char table[SERIAL_PORT_TABLE_SIZE]);
    void set_port_scan(Tport_scan scan) { port_scan = scan; }

    int last_connect_device_id = 0;
    int ttimezone = 0;
    int autonnect = 0;
    // 1: the next start after a crash takes the live view's test up again.
    // Not one of the original keys: written after them, 1 when missing.
    int resume = 1;
    Tserial_resource* serial_port;
    Tdelay_resource* delay;
    bool started = false;
    Tmy_string port_name;
    Tmy_string rx_line;
    int frame_mode_ticks = 0;
    // From connecting until the first request: whatever arrives answers the
    // request of an earlier program on the port, and is discarded.
    bool awaiting_request = false;

private:
    Tdata_sink data_sink;
    Tport_scan port_scan;
};

// The zone of a display time-zone code of the settings ("ttimezone") and
// its caption ("Europe CET", with its summer time); UTC for an unknown code.
Ttime_zone display_time_zone(int code, std::string* caption);

constexpr int TICK_MS = 100;
constexpr int FRAME_WINDOW_TICKS = 350;
// A stream that never ends a line or frame keeps at most this much.
constexpr unsigned RX_LINE_LIMIT = 64 * 1024;
