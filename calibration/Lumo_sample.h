#pragma once
#include <cstdint>

class Tmy_string;

// Lamp indices, in the order the instrument reports them.
enum Tlamp_index { LAMP_A = 0, LAMP_B = 1, LAMP_C = 2, LAMP_T = 3, LAMP_COUNT = 4 };

// The signal of one lamp with the lamp off (the "base") and on, in mV.
struct Tlamp_signal {
    float off;
    float on;
};

// One instrument reading, tagged with the reference liquid it was taken in.
// Missing values hold the undefined marker (undefined_float()).
class Tlumo_sample {
public:
    Tlumo_sample();
    virtual ~Tlumo_sample() = default;

    // Tracer and concentration codes of the instrument code tables; 0 undefined.
    uint8_t tracer = 0;
    uint8_t concentration = 0;
    Tlamp_signal lamp[LAMP_COUNT];  // A, B, C, T
    float temperature;              // degC
    float vbat;                     // V
    float delta[LAMP_COUNT];        // on - off per lamp, mV

    // Every reading becomes undefined; the codes stay.
    virtual void reset();
    // flags bit 0: log lines; bit 1: the "Latest" labels (ids 307-320).
    virtual void show(int flags);
    // Replaces *out with the sample's SAMPLE element; nothing for null.
    virtual void to_xml(Tmy_string* out);

    void compute_deltas();
    // The readings of another sample, not its codes; nothing for null.
    void copy_values_from(const Tlumo_sample* other);
    // letter A, B, C or T (either case): off = base, on = base + delta.
    void set_lamp(char letter, float base, float delta_mv);
};

// The lamp index of a letter A, B, C, T (either case); -1 for any other.
int lamp_index_of(char letter);
