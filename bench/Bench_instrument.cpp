#include "bench/Bench_instrument.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "sim/Port_link.h"

Tbench_instrument::~Tbench_instrument()
{
    sim.stop();
    if (com > 0) unlink_com_port(com, sim.slave_path());
    std::error_code ignored;
    if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
}

bool Tbench_instrument::open(Tzeta_simulator::Tobserver observer, std::string* error)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "lumo2-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        *error = "no scratch directory";
        return false;
    }
    dir = pattern;
    setenv("LUMO2_PORT_DIR", (dir + "/ports").c_str(), 1);
    // The program's journals stay in the scratch directory.
    setenv("LUMO2_JOURNAL_DIR", (dir + "/journal").c_str(), 1);
    sim.set_delay_ms(0);
    sim.set_noise(0.0, 1);
    if (observer) sim.set_observer(std::move(observer));
    if (!sim.start(error)) return false;
    com = link_com_port(sim.slave_path(), 0, *error);
    if (com < 0) return false;
    std::ofstream(dir + "/lumo2.cfg", std::ios::binary)
        << "TYPE=2\rlast_connect_device_id " << com << "\rautonnect 1\rttimezone 0\r";
    return true;
}
