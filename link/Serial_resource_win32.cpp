#include "link/Serial_resource_win32.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "link/Serial_resource.h"

static_assert(MODEM_EV_RXCHAR == EV_RXCHAR && MODEM_EV_RLSD == EV_RLSD && MODEM_EV_RING == EV_RING &&
                  MODEM_EV_BREAK == EV_BREAK && MODEM_EV_ERR == EV_ERR && MODEM_EV_TXEMPTY == EV_TXEMPTY,
              "the modem-event bits are those of the communications API");
static_assert(MODEM_MS_RING_ON == MS_RING_ON && MODEM_MS_RLSD_ON == MS_RLSD_ON,
              "the modem-status bits are those of the communications API");

namespace {

// The worker wakes at least this often even when nothing happens.
constexpr DWORD IDLE_WAKE_MS = 5000;
// How long close waits for the worker to end.
constexpr DWORD CLOSE_WAIT_MS = 500;
constexpr DWORD MODEM_EVENT_MASK = EV_RXCHAR | EV_RLSD | EV_RING;
constexpr char XON_CHAR = 0x11;
constexpr char XOFF_CHAR = 0x13;

char parity_letter(int parity) {
    switch (parity) {
    case 1: return 'O';
    case 2: return 'E';
    default: return 'N';
    }
}

void set_flow_control(DCB* dcb, uint8_t flow) {
    dcb->fOutxCtsFlow = FALSE;
    dcb->fOutxDsrFlow = FALSE;
    dcb->fOutX = FALSE;
    dcb->fInX = FALSE;
    dcb->fRtsControl = RTS_CONTROL_ENABLE;
    dcb->fDtrControl = DTR_CONTROL_ENABLE;
    switch (flow) {
    case 1:
        dcb->fOutxCtsFlow = TRUE;
        dcb->fOutxDsrFlow = TRUE;
        dcb->fRtsControl = RTS_CONTROL_HANDSHAKE;
        dcb->fDtrControl = DTR_CONTROL_HANDSHAKE;
        break;
    case 2:
        // The mode text sets no flow characters: without them the port
        // refuses the settings or takes NUL for both.
        dcb->fOutX = TRUE;
        dcb->fInX = TRUE;
        dcb->XonChar = XON_CHAR;
        dcb->XoffChar = XOFF_CHAR;
        break;
    case 3:
        dcb->fRtsControl = RTS_CONTROL_DISABLE;
        break;
    case 4:
        dcb->fRtsControl = RTS_CONTROL_DISABLE;
        dcb->fDtrControl = DTR_CONTROL_DISABLE;
        break;
    default:
        break;
    }
}

// An operation that has not finished yet is no failure.
bool still_pending() {
    const DWORD error = GetLastError();
    return error == ERROR_IO_PENDING || error == ERROR_IO_INCOMPLETE;
}

bool valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

bool port_answers(HANDLE device) {
    DWORD errors = 0;
    COMSTAT status = {};
    return ClearCommError(device, &errors, &status) != 0;
}

}  // namespace

std::atomic<Tserial_resource_win32::Tpresence_check> Tserial_resource_win32::presence_check{port_answers};

Tserial_platform* new_serial_platform(Tserial_resource* owner) {
    Tserial_platform* platform = new (std::nothrow) Tserial_resource_win32(owner);
    if (platform)
        platform->setParam("name", "srw32");
    return platform;
}

Tserial_resource_win32::Tserial_resource_win32(Tserial_resource* serial_owner) : owner(serial_owner) {
    ev_connected.init("win32_CONNECTED", this);
    ev_disconnected.init("win32_DISCONNECTED", this);
    ev_data_arrival.init("win32_DATA_ARRIVAL", this);
    ev_data_sent.init("win32_DATA_SENT", this);
    ev_ring.init("win32_RING", this);
    ev_cd_on.init("win32_CD_ON", this);
    ev_cd_off.init("win32_CD_OFF", this);
    ev_modem_status.init("win32_MODEM_STATUS", this);
    for (HANDLE& handle : waits)
        handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

// The worker ends before the handles it waits on are closed and before the
// base forgets this object's queued records, so nothing it touches or raises
// outlives the object.
Tserial_resource_win32::~Tserial_resource_win32() {
    stop_worker(INFINITE);
    release_device();
    for (HANDLE& handle : waits) {
        if (handle)
            CloseHandle(handle);
        handle = nullptr;
    }
}

unsigned Tserial_resource_win32::open(const char* device_path, int baud, int parity, uint8_t data_bits,
                                      bool want_modem_events, uint8_t flow, uint8_t stop_bits) {
    // An earlier worker ends first: it closes its own device and reports its
    // "DISCONNECTED" before anything of the new device.
    stop_worker(INFINITE);
    worker_running.store(false);
    release_device();
    modem_events = want_modem_events;

    read_block = OVERLAPPED{};
    write_block = OVERLAPPED{};
    modem_block = OVERLAPPED{};
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    char mode[80];
    snprintf(mode, sizeof mode, "baud=%d parity=%c data=%d stop=%d", baud, parity_letter(parity), data_bits,
             stop_bits);
    BuildCommDCBA(mode, &dcb);
    set_flow_control(&dcb, flow);

    HANDLE opened = CreateFileA(device_path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OVERLAPPED, nullptr);
    read_block.hEvent = waits[READ_DONE];
    write_block.hEvent = waits[WRITE_DONE];
    modem_block.hEvent = waits[MODEM_DONE];

    unsigned bits = 0;
    if (opened == INVALID_HANDLE_VALUE) {
        bits |= SERIAL_OPEN_FAILED;
    } else {
        if (!SetCommMask(opened, modem_events ? MODEM_EVENT_MASK : 0))
            bits |= modem_events ? SERIAL_MASK_FAILED_MODEM : SERIAL_MASK_FAILED;
        COMMTIMEOUTS timeouts = {};
        if (!SetCommTimeouts(opened, &timeouts))
            bits |= SERIAL_TIMEOUTS_FAILED;
        if (!SetCommState(opened, &dcb))
            bits |= SERIAL_SETTINGS_FAILED;
    }
    for (HANDLE handle : waits)
        if (!valid(handle))
            bits |= SERIAL_NO_WAIT_HANDLE;
    if (bits) {
        if (opened != INVALID_HANDLE_VALUE)
            CloseHandle(opened);
        return bits;
    }

    // A stop asked for while no worker ran must not end the new one at once.
    for (HANDLE handle : waits)
        ResetEvent(handle);
    device.store(opened);
    rx_count.store(0);
    tx_busy.store(false);
    worker_running.store(true);
    worker = CreateThread(nullptr, 0, worker_entry, this, 0, &worker_id);
    if (!worker) {
        worker_running.store(false);
        release_device();
        return SERIAL_NO_WAIT_HANDLE;
    }
    return 0;
}

// Waits at most wait_ms; a worker that has not ended by then keeps its
// handle, so that destruction can still wait for it.
void Tserial_resource_win32::stop_worker(DWORD wait_ms) {
    if (waits[STOP_REQUEST])
        SetEvent(waits[STOP_REQUEST]);
    if (!valid(worker))
        return;
    if (WaitForSingleObject(worker, wait_ms) != WAIT_OBJECT_0)
        return;
    CloseHandle(worker);
    worker = INVALID_HANDLE_VALUE;
}

void Tserial_resource_win32::close() { stop_worker(CLOSE_WAIT_MS); }

void Tserial_resource_win32::start_write(const unsigned char* bytes, unsigned length) {
    tx_busy.store(true);
    memcpy(tx_buffer, bytes, length);
    tx_length = length;
    SetEvent(waits[WRITE_REQUEST]);
}

void Tserial_resource_win32::rearmRead() {
    rx_count.store(0);
    SetEvent(waits[READ_REQUEST]);
}

DWORD WINAPI Tserial_resource_win32::worker_entry(LPVOID self) {
    static_cast<Tserial_resource_win32*>(self)->worker_main();
    return 0;
}

void Tserial_resource_win32::worker_main() {
    worker_running.store(true);
    read_pending = false;
    write_pending = false;
    modem_wait_pending = false;
    ev_connected.trigger();
    SetEvent(waits[READ_REQUEST]);
    if (modem_events)
        SetEvent(waits[MODEM_REQUEST]);
    const DWORD count = modem_events ? WAIT_HANDLES : MODEM_DONE;
    bool carry_on = true;
    while (carry_on) {
        const bool idle = WaitForMultipleObjects(count, waits, FALSE, IDLE_WAKE_MS) == WAIT_TIMEOUT;
        carry_on = serve();
        if (idle && carry_on && !presence_check.load()(device.load()))
            carry_on = false;
    }
    worker_running.store(false);
    release_device();
    ev_disconnected.trigger();
}

bool Tserial_resource_win32::signalled(Twait which) const {
    return WaitForSingleObject(waits[which], 0) == WAIT_OBJECT_0;
}

// Each test runs even after an earlier one asked to quit: a completion
// found in the same pass is still delivered.
bool Tserial_resource_win32::serve() {
    bool carry_on = true;
    if (signalled(STOP_REQUEST)) {
        ResetEvent(waits[STOP_REQUEST]);
        carry_on = false;
    }
    if (signalled(READ_REQUEST)) {
        ResetEvent(waits[READ_REQUEST]);
        carry_on = start_read() && carry_on;
    }
    if (signalled(READ_DONE))
        carry_on = finish_read() && carry_on;
    if (signalled(WRITE_REQUEST)) {
        ResetEvent(waits[WRITE_REQUEST]);
        carry_on = start_write_request() && carry_on;
    }
    if (signalled(WRITE_DONE))
        carry_on = finish_write() && carry_on;
    if (signalled(MODEM_REQUEST)) {
        ResetEvent(waits[MODEM_REQUEST]);
        carry_on = start_modem_wait() && carry_on;
    }
    if (signalled(MODEM_DONE))
        carry_on = finish_modem_wait() && carry_on;
    return carry_on;
}

bool Tserial_resource_win32::start_read() {
    if (read_pending)
        return true;
    read_pending = true;
    return ReadFile(device.load(), rx_buffer, DWORD(rx_request), nullptr, &read_block) || still_pending();
}

// A read that completes with no byte raises nothing and is not re-armed.
bool Tserial_resource_win32::finish_read() {
    DWORD transferred = 0;
    if (!GetOverlappedResult(device.load(), &read_block, &transferred, FALSE))
        return still_pending();
    ResetEvent(waits[READ_DONE]);
    rx_count.store(int(transferred));
    read_pending = false;
    if (transferred != 0)
        ev_data_arrival.trigger();
    return true;
}

bool Tserial_resource_win32::start_write_request() {
    write_pending = true;
    return WriteFile(device.load(), tx_buffer, DWORD(tx_length), nullptr, &write_block) || still_pending();
}

bool Tserial_resource_win32::finish_write() {
    DWORD transferred = 0;
    if (!GetOverlappedResult(device.load(), &write_block, &transferred, FALSE))
        return still_pending();
    ResetEvent(waits[WRITE_DONE]);
    write_pending = false;
    tx_busy.store(false);
    ev_data_sent.trigger();
    return true;
}

bool Tserial_resource_win32::start_modem_wait() {
    if (modem_wait_pending)
        return true;
    modem_wait_pending = true;
    return WaitCommEvent(device.load(), &modem_mask, &modem_block) || still_pending();
}

// The event and the line status go to the GUI thread, which logs and
// reports them; the worker writes no log line.
bool Tserial_resource_win32::finish_modem_wait() {
    DWORD transferred = 0;
    if (!GetOverlappedResult(device.load(), &modem_block, &transferred, FALSE))
        return still_pending();
    ResetEvent(waits[MODEM_DONE]);
    modem_wait_pending = false;
    DWORD status = 0;
    GetCommModemStatus(device.load(), &status);
    reported_status.store(status);
    reported_mask.fetch_or(modem_mask);
    ev_modem_status.trigger();
    SetEvent(waits[MODEM_REQUEST]);
    return true;
}

// Closing the handle cancels what is in flight, but the system may still
// write into the control blocks until the cancelled operations have ended:
// they are waited for, so that a next open may reuse the blocks.
void Tserial_resource_win32::release_device() {
    HANDLE handle = device.load();
    if (handle == INVALID_HANDLE_VALUE)
        return;
    CancelIo(handle);
    DWORD transferred = 0;
    if (read_pending)
        GetOverlappedResult(handle, &read_block, &transferred, TRUE);
    if (write_pending)
        GetOverlappedResult(handle, &write_block, &transferred, TRUE);
    if (modem_wait_pending)
        GetOverlappedResult(handle, &modem_block, &transferred, TRUE);
    read_pending = write_pending = modem_wait_pending = false;
    CloseHandle(handle);
    device.store(INVALID_HANDLE_VALUE);
}

// Delivered on the GUI thread: the records go to the owner unchanged; a
// modem event is logged here and then reported.
void Tserial_resource_win32::OnEvent(Tmy_event* event) {
    if (!owner)
        return;
    if (event != &ev_modem_status) {
        owner->OnEvent(event);
        return;
    }
    report_modem_event(owner, reported_mask.exchange(0), reported_status.load());
}
