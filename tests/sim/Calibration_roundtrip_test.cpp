// A calibration taken on the simulator through the program's own parsers,
// calculator and constants reader must pass every validity rule and convert
// known mixtures back to themselves.
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

#include "calibration/Calibration_calc.h"
#include "calibration/Sample_table.h"
#include "events/My_string.h"
#include "link/Lumo_data.h"
#include "sim/Sim_wire.h"
#include "sim/Zeta_simulator.h"
#include "view/Vorn_lumo.h"

using namespace sim_wire;

namespace {

struct Tconfiguration {
    int code;  // 1 "I,II,III", 2 "I,II,V"
    int tracers[3];
};

std::string failed_rules;
void collect_log(const char* line) { failed_rules += std::string(line) + "\n"; }

Tcell one(int code, double amount) {
    Tcell c;
    if (code == 0)
        c.ntu = amount;
    else
        c.ppb[code] = amount;
    return c;
}

class Calibration_on_simulator : public ::testing::Test {
protected:
    void SetUp() override {
        sim.set_delay_ms(0);
        ASSERT_TRUE(sim.start());
        fd = open_slave(sim.slave_path());
        ASSERT_GE(fd, 0);
        set_log_sink(collect_log);
        failed_rules.clear();
    }
    void TearDown() override {
        set_log_sink(nullptr);
        close(fd);
    }

    // One reading of the cell through the text answer and the program's parser.
    void read_text(const Tcell& cell, unsigned char request, Tlumo_sample* sample) {
        sim.set_cell(cell);
        sim.set_form(Tanswer_form::text);
        send(fd, std::string(1, char(request)));
        parse_text_line(sample, read_until(fd, '\n').c_str());
    }

    void read_frame(const Tcell& cell, unsigned char request, Tlumo_sample* sample) {
        sim.set_cell(cell);
        sim.set_form(Tanswer_form::frame);
        send(fd, std::string(1, char(request)));
        const std::string wire = read_until(fd, '!');
        Tframe frame;
        unsigned length = 0;
        ASSERT_TRUE(unstuff_and_check_frame(reinterpret_cast<const unsigned char*>(wire.data()),
                                            unsigned(wire.size()), &frame, &length));
        parse_frame_payload(sample, frame.bytes + FRAME_HEADER_BYTES, length);
    }

    void store(sample_table* table, const Tconfiguration& config, int tracer, int concentration,
               const Tcell& cell, int repeats) {
        for (int i = 0; i < repeats; ++i) {
            auto* sample = new Tlumo_sample;
            read_text(cell, 'O', sample);
            sample->tracer = uint8_t(tracer);
            sample->concentration = uint8_t(concentration);
            ASSERT_TRUE(sample_table_add(table, sample, config.code));
        }
    }

    // Stores the standards, computes and checks; returns the legacy text.
    std::string calibrate(const Tconfiguration& config, int repeats, int32_t* validity) {
        sample_table table;
        store(&table, config, tracer::water, CONCENTRATION_0_NTU, Tcell{}, repeats);
        for (int code : config.tracers) {
            store(&table, config, code, CONCENTRATION_10_PPB, one(code, 10), repeats);
            store(&table, config, code, CONCENTRATION_100_PPB, one(code, 100), repeats);
        }
        store(&table, config, tracer::water, CONCENTRATION_1_NTU, one(0, 1), repeats);
        store(&table, config, tracer::water, CONCENTRATION_10_NTU, one(0, 10), repeats);
        store(&table, config, tracer::water, CONCENTRATION_100_NTU, one(0, 100), repeats);
        Tlumo_calibration_calc calc;
        calc.set_header(2, 4711, 2024, 5, 6);
        calc.compute(&table);
        for (int lamp = 0; lamp < 3; ++lamp) calc.set_lamp_tracer(char('A' + lamp), uint8_t(config.tracers[lamp]));
        *validity = calc.check_validity();
        Tmy_string text;
        calc.write_legacy_text(&text);
        return text.c_str();
    }

    int load(const std::string& legacy_text, Tvorn_lumo& constants) {
        const std::string path = ::testing::TempDir() + "sim_calibration.txt";
        FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(legacy_text.data(), 1, legacy_text.size(), file);
        std::fclose(file);
        constants.clear();
        const int result = constants.getcalib(path.c_str());
        std::remove(path.c_str());
        return result;
    }

    Tzeta_simulator sim;
    int fd = -1;
};

const Tconfiguration configurations[] = {
    {1, {tracer::uranine, tracer::sulforhodamine_b, tracer::amino_g_acid}},
    {2, {tracer::eosine, tracer::sulforhodamine_b, tracer::naphtionate}},
    {1, {tracer::eosine, tracer::sulforhodamine_b, tracer::amino_g_acid}},
    {2, {tracer::uranine, tracer::sulforhodamine_b, tracer::naphtionate}},
};

TEST_F(Calibration_on_simulator, StandardsPassEveryRuleWithAndWithoutNoise) {
    for (const Tconfiguration& config : configurations) {
        for (std::uint32_t seed = 0; seed < 6; ++seed) {
            SCOPED_TRACE(testing::Message() << "tracer A " << config.tracers[0] << ", seed " << seed);
            sim.set_noise(seed == 0 ? 0.0 : 0.05, seed);
            int32_t validity = -1;
            calibrate(config, seed == 0 ? 1 : 3, &validity);
            EXPECT_EQ(validity, 0) << failed_rules;
        }
    }
}

struct Tmixture {
    double ppb[3];
    double ntu;
    unsigned char request;
};

TEST_F(Calibration_on_simulator, KnownMixturesConvertBackWithinTwoPercent) {
    const Tmixture mixtures[] = {
        {{20, 5, 40}, 10, 'O'},
        {{80, 60, 90}, 50, 'O'},
        {{0.5, 2, 3}, 2, 'O'},
        {{35, 12, 7}, 0, 'O'},
        {{25, 0, 0}, 3, 'I'},   // lamp A and T: the tracer's polynomial
        {{0, 0, 15}, 20, 'L'},  // lamp C and T
        {{6, 0, 9}, 4, 'M'},    // lamps A, C and T: the pair solution
    };
    for (const Tconfiguration& config : configurations) {
        int32_t validity = -1;
        Tvorn_lumo constants;
        ASSERT_EQ(load(calibrate(config, 1, &validity), constants), 0);
        ASSERT_EQ(validity, 0) << failed_rules;
        for (const Tmixture& m : mixtures) {
            for (bool frame : {false, true}) {
                SCOPED_TRACE(testing::Message() << "tracer A " << config.tracers[0] << ", mixture "
                                                << m.ppb[0] << "/" << m.ppb[1] << "/" << m.ppb[2] << "/"
                                                << m.ntu << (frame ? ", frame" : ", text"));
                Tcell cell;
                for (int lamp = 0; lamp < 3; ++lamp) cell.ppb[config.tracers[lamp]] = m.ppb[lamp];
                cell.ntu = m.ntu;
                Tlumo_sample sample;
                if (frame)
                    read_frame(cell, m.request, &sample);
                else
                    read_text(cell, m.request, &sample);
                conversion_record record;
                for (int lamp = 0; lamp < 3; ++lamp) {
                    record.has_signal[lamp] = (m.request >> lamp) & 1;
                    record.signal[lamp] = sample.delta[lamp];
                }
                record.has_t = 1;
                record.signal_t = sample.delta[LAMP_T];
                constants.convert(&record);
                for (int lamp = 0; lamp < 3; ++lamp) {
                    if (!record.has_signal[lamp]) continue;
                    const double floor = lamp == 0 ? 0.0105 : 0.1;
                    if (m.ppb[lamp] > floor)
                        EXPECT_NEAR(record.ppb[lamp], m.ppb[lamp], 0.02 * m.ppb[lamp]) << "lamp " << lamp;
                    else
                        EXPECT_LE(record.ppb[lamp], floor * 1.02) << "lamp " << lamp;
                }
                if (m.ntu > 0.1)
                    EXPECT_NEAR(record.ntu, m.ntu, 0.02 * m.ntu);
                else
                    EXPECT_LE(record.ntu, 0.102);
            }
        }
    }
}

}  // namespace
