#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>
#include <vector>

#include "Port_pair.h"

namespace {

// How long a pair that was just taken down may need to come back.
constexpr DWORD REOPEN_PATIENCE_MS = 5000;

struct Tpair_numbers {
    int near_port;
    int far_port;
};

std::vector<Tpair_numbers> listed_pairs() {
    std::vector<Tpair_numbers> pairs;
    const char* listed = getenv("LUMO2_TEST_PORT_PAIRS");
    std::istringstream words(listed ? listed : "");
    std::string word;
    while (words >> word) {
        const size_t colon = word.find(':');
        if (colon != std::string::npos)
            pairs.push_back({atoi(word.c_str()), atoi(word.c_str() + colon + 1)});
    }
    return pairs;
}

std::string device_of(int port) { return "\\\\.\\COM" + std::to_string(port); }

// The far end is read and written without waiting; raw 8N1 without flow
// control, so that XON and XOFF reach the near end as they are.
HANDLE open_far(int port) {
    const std::string path = device_of(port);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(REOPEN_PATIENCE_MS);
    HANDLE handle = INVALID_HANDLE_VALUE;
    while (handle == INVALID_HANDLE_VALUE && std::chrono::steady_clock::now() < end) {
        handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle == INVALID_HANDLE_VALUE)
            Sleep(20);
    }
    if (handle == INVALID_HANDLE_VALUE)
        return handle;
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    BuildCommDCBA("baud=9600 parity=N data=8 stop=1", &dcb);
    dcb.fOutX = dcb.fInX = FALSE;
    SetCommState(handle, &dcb);
    COMMTIMEOUTS at_once = {MAXDWORD, 0, 0, 0, 0};
    SetCommTimeouts(handle, &at_once);
    return handle;
}

// Closing the far port is not enough for the near one to notice, as the
// joiner keeps the line up: it is asked to take the pair down.
void ask_for_hangup(int far_port) {
    const char* control = getenv("LUMO2_TEST_PORT_CONTROL");
    if (!control || !*control)
        return;
    const std::string marker = std::string(control) + "\\hangup-" + std::to_string(far_port);
    HANDLE file = CreateFileA(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

}  // namespace

struct Tport_pair::Tfar_end {
    HANDLE handle = INVALID_HANDLE_VALUE;
    int near_port = 0;
    int far_port = 0;
};

// Pairs are taken in turn, so that one whose far end a test closed has
// time to be joined again before its next use.
Tport_pair::Tport_pair() : remote(new Tfar_end) {
    static size_t next_pair = 0;
    const std::vector<Tpair_numbers> pairs = listed_pairs();
    if (pairs.empty()) {
        why = "LUMO2_TEST_PORT_PAIRS names no port pair";
        return;
    }
    const Tpair_numbers numbers = pairs[next_pair++ % pairs.size()];
    remote->handle = open_far(numbers.far_port);
    if (remote->handle == INVALID_HANDLE_VALUE) {
        why = "cannot open " + device_of(numbers.far_port);
        return;
    }
    remote->near_port = numbers.near_port;
    remote->far_port = numbers.far_port;
    near_path = device_of(numbers.near_port);
}

Tport_pair::~Tport_pair() {
    if (remote->handle != INVALID_HANDLE_VALUE)
        CloseHandle(remote->handle);
    delete remote;
}

bool Tport_pair::ok() const { return remote->handle != INVALID_HANDLE_VALUE; }

void Tport_pair::write_text(const std::string& text) const {
    DWORD written = 0;
    if (!WriteFile(remote->handle, text.data(), DWORD(text.size()), &written, nullptr) || written != text.size())
        abort();
}

std::string Tport_pair::read_bytes(size_t want, int timeout_ms) const {
    std::string got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (got.size() < want && std::chrono::steady_clock::now() < end) {
        char buffer[512];
        DWORD count = 0;
        if (!ReadFile(remote->handle, buffer, sizeof buffer, &count, nullptr))
            break;
        if (count == 0)
            Sleep(10);
        got.append(buffer, count);
    }
    return got;
}

void Tport_pair::close_far_end() {
    if (remote->handle == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(remote->handle);
    remote->handle = INVALID_HANDLE_VALUE;
    ask_for_hangup(remote->far_port);
}

int Tport_pair::offer_as_com_port() { return remote->near_port; }

bool Tport_pair::offered_port_listed(std::string* why_not)
{
    *why_not = "the joined ports are Wine's device links, which neither the device-setup service nor the serial map lists";
    return false;
}
