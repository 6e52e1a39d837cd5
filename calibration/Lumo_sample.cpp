#include "calibration/Lumo_sample.h"

#include "app/Gui.h"
#include "events/Lib_cpp.h"
#include "events/My_string.h"
#include "view/Codes.h"

namespace {

bool defined(float value) { return !is_undefined(value); }

// "%0.2f" of a defined value, "---" otherwise.
void format_or_dashes(Tmy_string* out, float value) {
    if (defined(value))
        out->format("%0.2f", value);
    else
        out->assign("---");
}

constexpr char LAMP_LETTERS[LAMP_COUNT + 1] = "ABCT";
// Display ids of lamp off, on and delta per lamp.
constexpr int LAMP_OFF_ID[LAMP_COUNT] = {DSP_LAMP_A_OFF, DSP_LAMP_B_OFF, DSP_LAMP_C_OFF, DSP_LAMP_T_OFF};
constexpr int LAMP_ON_ID[LAMP_COUNT] = {DSP_LAMP_A_ON, DSP_LAMP_B_ON, DSP_LAMP_C_ON, DSP_LAMP_T_ON};
constexpr int LAMP_DELTA_ID[LAMP_COUNT] = {DSP_LAMP_A_DELTA, DSP_LAMP_B_DELTA, DSP_LAMP_C_DELTA,
                                           DSP_LAMP_T_DELTA};

}  // namespace

int lamp_index_of(char letter) {
    switch (letter) {
    case 'A': case 'a': return LAMP_A;
    case 'B': case 'b': return LAMP_B;
    case 'C': case 'c': return LAMP_C;
    case 'T': case 't': return LAMP_T;
    default: return -1;
    }
}

Tlumo_sample::Tlumo_sample() { Tlumo_sample::reset(); }

void Tlumo_sample::reset() {
    const float missing = undefined_float();
    for (int i = 0; i < LAMP_COUNT; ++i) {
        lamp[i].off = missing;
        lamp[i].on = missing;
        delta[i] = missing;
    }
    temperature = missing;
    vbat = missing;
}

void Tlumo_sample::compute_deltas() {
    for (int i = 0; i < LAMP_COUNT; ++i)
        delta[i] = defined(lamp[i].on) && defined(lamp[i].off) ? lamp[i].on - lamp[i].off : undefined_float();
}

void Tlumo_sample::copy_values_from(const Tlumo_sample* other) {
    if (!other)
        return;
    for (int i = 0; i < LAMP_COUNT; ++i) {
        lamp[i] = other->lamp[i];
        delta[i] = other->delta[i];
    }
    temperature = other->temperature;
    vbat = other->vbat;
}

void Tlumo_sample::set_lamp(char letter, float base, float delta_mv) {
    const int i = lamp_index_of(letter);
    if (i < 0)
        return;
    lamp[i].off = base;
    lamp[i].on = base + delta_mv;
    delta[i] = delta_mv;
}

void Tlumo_sample::show(int flags) {
    const bool to_log = flags & 1;
    const bool to_display = flags & 2;
    Tmy_string text[LAMP_COUNT * 2 + 2];
    for (int i = 0; i < LAMP_COUNT; ++i) {
        format_or_dashes(&text[2 * i], lamp[i].off);
        format_or_dashes(&text[2 * i + 1], lamp[i].on);
    }
    format_or_dashes(&text[8], vbat);
    format_or_dashes(&text[9], temperature);

    if (to_log) {
        Tmy_string line;
        line.assign("message:show()");
        for (const Tmy_string& piece : text)
            line.appendFormat(" %s", piece.c_str());
        log_printf("%s", line.c_str());
    }
    if (to_display) {
        for (int i = 0; i < LAMP_COUNT; ++i) {
            display_set(LAMP_OFF_ID[i], text[2 * i].c_str());
            display_set(LAMP_ON_ID[i], text[2 * i + 1].c_str());
        }
        display_set(DSP_VBAT, text[8].c_str());
        display_set(DSP_TEMPERATURE, text[9].c_str());
    }
    for (int i = 0; i < LAMP_COUNT; ++i) {
        if (defined(delta[i])) {
            Tmy_string value;
            value.format("%.2f", delta[i]);
            if (to_log)
                log_printf("lamp %c delta = %s mV", LAMP_LETTERS[i], value.c_str());
            if (to_display)
                display_set(LAMP_DELTA_ID[i], value.c_str());
        } else if (to_display) {
            display_set(LAMP_DELTA_ID[i], "---");
        }
    }
    if (to_log) {
        if (defined(temperature))
            log_printf("Temperature = %.2f degC", temperature);
        if (defined(vbat))
            log_printf("Battery Voltage = %.2f V", vbat);
    }
}

void Tlumo_sample::to_xml(Tmy_string* out) {
    if (!out)
        return;
    out->clear();
    out->appendFormat("<SAMPLE type=\"ZETA\" traceur=\"%s\"", tracer_name(tracer));
    out->appendFormat(" concentration=\"%s\"", concentration_name(concentration));
    for (int i = 0; i < LAMP_COUNT; ++i)
        out->appendFormat(" L%c_base_mV=\"%.2f\" L%c_mV=\"%.2f\"", LAMP_LETTERS[i], lamp[i].off, LAMP_LETTERS[i],
                          delta[i]);
    out->appendFormat(" temperature=\"%.2f\" Vbat=\"%.2f\"", temperature, vbat);
    out->append(" />");
}
