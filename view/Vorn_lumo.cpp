#include "view/Vorn_lumo.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "view/Poly_fit.h"
#include "view/Token_reader.h"

namespace {

// The file in one go; false when it cannot be opened or read.
bool read_whole_file(const char* path, std::string* out) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    char chunk[4096];
    size_t count;
    while ((count = std::fread(chunk, 1, sizeof chunk, file)) > 0) out->append(chunk, count);
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

void assign_text(Tmy_string* field, std::string_view text) {
    field->clear();
    if (!text.empty()) field->append(text.data(), static_cast<unsigned>(text.size()));
}

void skip_lines(Ttoken_reader* reader, int count) {
    for (int i = 0; i < count; ++i) reader->skip_line();
}

constexpr int HEADER_LINES_BELOW_FIRST = 5;
constexpr int FIRST_TURBIDITY_SAMPLE = 4;

}  // namespace

void Tvorn_lumo::clear() {
    model.clear();
    serial.clear();
    for (Tmy_string& name : dyename) name.clear();
    valid = 0;
}

int Tvorn_lumo::getcalib(const char* path) {
    if (path == nullptr || *path == '\0') return CALIB_NO_PATH;
    std::string text;
    if (!read_whole_file(path, &text)) return CALIB_CANNOT_OPEN;
    int errors = read_constants(text.data(), static_cast<unsigned>(text.size()));
    valid = errors == 0 ? 1 : 0;
    return errors;
}

// The grammar of the calibration constants file: a header, seven blocks of
// four lamp signals, three tracer calibrations, then the programme
// parameters down to the conductimeter constants.
int Tvorn_lumo::read_constants(const char* text, unsigned length) {
    Ttoken_reader reader(std::string_view(text, length));
    int errors = 0;
    read_first_line(&reader);
    skip_lines(&reader, HEADER_LINES_BELOW_FIRST);
    for (int s = 0; s < SAMPLES; ++s) {
        std::string_view word;
        reader.skip_line();
        if (reader.word(&word)) assign_text(&dyename[s], word);
        if (s >= FIRST_TURBIDITY_SAMPLE) reader.word(&word);  // the unit, "NTU"
        for (int n = 0; n < 4; ++n) {
            reader.word(&word);  // the label "L1" .. "L4"
            reader.number(&cal[n % 2][n / 2][s]);
        }
        reader.skip_line();
    }
    skip_lines(&reader, 3);
    for (int m = 0; m < 3; ++m) errors |= read_tracer(&reader, m);
    reader.integer(&nlamp);
    reader.skip_line();
    // Five lamps are accepted although the file's own comment says 2 to 4.
    if (nlamp < 2 || nlamp > 5) errors |= CALIB_LAMP_COUNT;
    skip_lines(&reader, 3);
    reader.number(&ssss);
    skip_lines(&reader, 2);
    reader.number(&condcal);
    reader.number(&tref);
    reader.number(&cpc1);
    reader.number(&cpc2);
    reader.skip_line();
    for (double& value : condnl) reader.number(&value);
    if (reader.failed()) errors |= CALIB_UNREADABLE;
    return errors | derive();
}

// The first line is "Calibration constants - <model words> #<serial>"; the
// model words are missing when the model was undefined, so the line is taken
// whole rather than as a fixed count of words.
void Tvorn_lumo::read_first_line(Ttoken_reader* reader) {
    Ttoken_reader line(reader->line());
    std::string_view words[6];
    int count = 0;
    std::string_view word;
    bool serial_found = false;
    while (line.word(&word)) {
        if (count < 6) words[count] = word;
        ++count;
        if (word.front() == '#' && !serial_found) {
            assign_text(&serial, word);
            serial_found = true;
        }
    }
    if (count >= 6) assign_text(&model, words[3]);
}

// One tracer's calibration lines: "log10(mass fraction) signal" each; a
// polynomial in log-log space through them when there are two or three.
int Tvorn_lumo::read_tracer(Ttoken_reader* reader, int tracer) {
    int errors = 0;
    int count = 0;
    reader->integer(&count);
    double x[MAX_CALIBRATION_LINES] = {};
    double y[MAX_CALIBRATION_LINES] = {};
    for (int p = 0; p < count; ++p) {
        // A count beyond the lines the file holds must not keep the load
        // spinning: what is missing is an unreadable value.
        if (reader->at_end()) {
            errors |= CALIB_UNREADABLE;
            break;
        }
        double exponent = 0, millivolts = 0;
        reader->skip_line();
        reader->number(&exponent);
        reader->number(&millivolts);
        double net = millivolts - water(tracer);
        if (net > 0)
            net = std::log10(net);
        else
            errors |= CALIB_TRACER_LINE_AT_WATER;
        if (p < MAX_CALIBRATION_LINES) {
            x[p] = net;
            y[p] = exponent;
        }
    }
    if (count > MAX_CALIBRATION_LINES) {
        errors |= CALIB_TOO_MANY_LINES;
        poldeg[tracer] = 0;
    } else if (count >= 2) {
        poldeg[tracer] = count - 1;
        if (!fit_polynomial(x, y, count, coef[tracer])) errors |= CALIB_NOT_DERIVED;
    } else {
        poldeg[tracer] = 0;
    }
    skip_lines(reader, 2);
    return errors;
}

// A zero standard concentration, equal standards or values too large for the
// arithmetic leave derived constants without a usable value; the load then
// fails rather than converting with them or with those of an earlier file.
int Tvorn_lumo::derive() {
    int errors = 0;
    double* c[3][3] = {{&c11, &c12, &c13}, {&c21, &c22, &c23}, {&c31, &c32, &c33}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) *c[i][j] = signal(i, j + 1) - water(i);
    if (ssss != 0) {
        denom = (c11 * c22 * c33 + c12 * c23 * c31 + c13 * c21 * c32 - c31 * c22 * c13 - c32 * c23 * c11 -
                 c33 * c21 * c12) /
                ssss;
        den12 = (c11 * c22 - c21 * c12) / ssss;
        den23 = (c22 * c33 - c32 * c23) / ssss;
        den31 = (c33 * c11 - c13 * c31) / ssss;
    } else {
        errors |= CALIB_NOT_DERIVED;
    }
    errors |= derive_turbidity();
    if (!derived_finite()) errors |= CALIB_NOT_DERIVED;
    return errors;
}

// The interference of turbidity on each tracer lamp and the turbidity curve,
// both in log10 of the net signals of the three turbidity standards.
int Tvorn_lumo::derive_turbidity() {
    int errors = 0;
    double t[3];
    for (int p = 0; p < 3; ++p) {
        t[p] = signal(3, FIRST_TURBIDITY_SAMPLE + p) - water(3);
        if (t[p] > 0)
            t[p] = std::log10(t[p]);
        else
            errors |= CALIB_TURBIDITY_AT_WATER;
    }
    for (int m = 0; m < 3; ++m) {
        double u[3];
        for (int p = 0; p < 3; ++p) {
            u[p] = signal(m, FIRST_TURBIDITY_SAMPLE + p) - water(m);
            if (u[p] > 0)
                u[p] = std::log10(u[p]);
            else
                errors |= CALIB_INTERFERENCE_AT_WATER;
        }
        if (!fit_polynomial(t, u, 3, coftu[m])) errors |= CALIB_NOT_DERIVED;
    }
    const double* l = t;
    const double q[3] = {l[0] * l[0], l[1] * l[1], l[2] * l[2]};
    const double y[3] = {0, 1, 2};  // log10 of 1, 10, 100 NTU
    double d = (l[1] - l[0]) * (q[2] - q[1]) - (l[2] - l[1]) * (q[1] - q[0]);
    if (d != 0) {
        c1 = ((y[1] - y[0]) * (q[2] - q[1]) - (y[2] - y[1]) * (q[1] - q[0])) / d;
        c2 = ((y[2] - y[1]) * (l[1] - l[0]) - (y[1] - y[0]) * (l[2] - l[1])) / d;
    } else {
        errors |= CALIB_NOT_DERIVED;
    }
    c0 = y[0] - l[0] * c1 - q[0] * c2;
    return errors;
}

// Every constant the conversion uses must be a finite number.
bool Tvorn_lumo::derived_finite() const {
    const double scalars[] = {ssss, c11, c12, c13, c21, c22, c23, c31, c32, c33, denom,
                              den12, den23, den31, c0, c1, c2, water(0), water(1), water(2), water(3)};
    for (double value : scalars)
        if (!std::isfinite(value)) return false;
    for (int m = 0; m < 3; ++m) {
        for (double value : coftu[m])
            if (!std::isfinite(value)) return false;
        for (int d = 0; d <= poldeg[m] && d < 3; ++d)
            if (!std::isfinite(coef[m][d])) return false;
    }
    return true;
}
