#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "Port_pair.h"
#include "Pty.h"
#include "support/Temp_dir.h"

namespace {
constexpr int OFFERED_PORT = 5;
}

// The pseudo-terminal and, once offered, the port-link directory that
// names its slave as COM5.
struct Tport_pair::Tfar_end {
    Tpty pty;
    Ttemp_dir* links = nullptr;
    ~Tfar_end() {
        if (!links)
            return;
        unsetenv("LUMO2_PORT_DIR");
        delete links;
    }
};

Tport_pair::Tport_pair() : remote(new Tfar_end) {
    if (remote->pty.ok())
        near_path = remote->pty.slave_path;
    else
        why = "no pseudo-terminal";
}

Tport_pair::~Tport_pair() { delete remote; }

bool Tport_pair::ok() const { return remote->pty.ok(); }

void Tport_pair::write_text(const std::string& text) const { remote->pty.write_text(text); }

std::string Tport_pair::read_bytes(size_t want, int timeout_ms) const { return remote->pty.read_bytes(want, timeout_ms); }

void Tport_pair::close_far_end() { remote->pty.close_master(); }

int Tport_pair::offer_as_com_port() {
    if (!remote->links)
        remote->links = new Ttemp_dir;
    const std::string link = remote->links->file("COM" + std::to_string(OFFERED_PORT));
    std::error_code error;
    std::filesystem::create_symlink(near_path, link, error);
    if (error)
        return 0;
    setenv("LUMO2_PORT_DIR", remote->links->path.c_str(), 1);
    return OFFERED_PORT;
}

bool Tport_pair::offered_port_listed(std::string*) { return true; }
