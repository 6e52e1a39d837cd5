#include "calibration/Calibration_calc.h"

#include "calibration/Sample_reduce.h"
#include "events/Lib_cpp.h"
#include "view/Codes.h"

namespace {

// The calibration step: a constant that does not exceed its floor is put
// just above it.
constexpr double STEP_MV = 0.1;

double raised_above(double value, double floor)
{
    return value > floor ? value : floor + STEP_MV;
}

const char SEPARATOR[] =
    "------------------------------------------------------------------------------\r\n";

// The turbidity standards in the order they are computed.
const int NTU_LEVELS[3] = {1, 10, 100};
const char GROUP_OF_TRACER[3] = {'A', 'B', 'C'};

}  // namespace

Tlumo_calibration_calc::Tlumo_calibration_calc()
{
    const double undefined = undefined_double();
    for (double& value : water_)
        value = undefined;
    for (auto& row : tracer_response_)
        for (double& value : row)
            value = undefined;
    for (auto& row : turbidity_response_)
        for (double& value : row)
            value = undefined;
}

void Tlumo_calibration_calc::set_header(uint8_t model_code, int serial_number, int year_value, int month_value,
                                        int day_value)
{
    model = model_code;
    serial = serial_number;
    year = year_value;
    month = month_value;
    day = day_value;
}

void Tlumo_calibration_calc::set_lamp_tracer(char lamp, uint8_t tracer)
{
    switch (lamp) {
    case 'A': case 'a': lamp_tracer[0] = tracer; break;
    case 'B': case 'b': lamp_tracer[1] = tracer; break;
    case 'C': case 'c': lamp_tracer[2] = tracer; break;
    default: break;
    }
}

void Tlumo_calibration_calc::compute(const sample_table* table)
{
    for (int lamp = LAMP_A; lamp <= LAMP_T; ++lamp)
        water_[lamp] = sample_table_minimum(table, lamp);
    compute_turbidity(table);
    for (int tracer = 0; tracer < 3; ++tracer)
        compute_tracer(table, tracer);
}

// Each lamp's floor starts at its water signal and climbs by one step every
// time a standard fails to exceed it, so that the standards stay ordered.
void Tlumo_calibration_calc::compute_turbidity(const sample_table* table)
{
    double floor[4];
    for (int lamp = LAMP_A; lamp <= LAMP_T; ++lamp)
        floor[lamp] = water_[lamp];
    for (int level = NTU_1; level <= NTU_100; ++level) {
        for (int lamp = LAMP_A; lamp <= LAMP_T; ++lamp) {
            double value = sample_table_average(table, 'T', lamp, NTU_LEVELS[level]);
            if (!(value > floor[lamp])) {
                value += STEP_MV;
                floor[lamp] += STEP_MV;
            }
            turbidity_response_[lamp][level] = value;
        }
    }
}

// A tracer's responses on the tracer lamps are kept above water, its own
// 100 ppb response above its 10 ppb one. Lamp T is never raised, nor lamp A
// under the tracer of lamp C.
void Tlumo_calibration_calc::compute_tracer(const sample_table* table, int tracer)
{
    const char group = GROUP_OF_TRACER[tracer];
    double* response = tracer_response_[tracer];
    for (int lamp = LAMP_A; lamp <= LAMP_C; ++lamp) {
        const double at_100 = sample_table_average(table, group, lamp, 100);
        if (lamp == tracer) {
            response[AT_10_OWN] = raised_above(sample_table_average(table, group, lamp, 10), water_[lamp]);
            response[lamp] = raised_above(raised_above(at_100, water_[lamp]), response[AT_10_OWN]);
        } else if (tracer == LAMP_C && lamp == LAMP_A) {
            response[lamp] = at_100;
        } else {
            response[lamp] = raised_above(at_100, water_[lamp]);
        }
    }
    response[AT_100_LT] = sample_table_average(table, group, LAMP_T, 100);
}

int32_t Tlumo_calibration_calc::check_validity()
{
    struct Trule {
        double left;
        double right;
        int32_t code;
        const char* message;
    };
    const double(&ta)[5] = tracer_response_[0];
    const double(&tb)[5] = tracer_response_[1];
    const double(&tc)[5] = tracer_response_[2];
    const double(&ntu)[4][3] = turbidity_response_;
    const double(&eau)[4] = water_;

    // The first three rules fail on equality too; the others whenever the
    // left value is not above the right one.
    constexpr int STRICT_RULES = 3;
    const Trule rules[27] = {
        {ta[AT_10_OWN], ta[AT_100_LA], 0x1, "error : TA_10_LA>=TA_100_LA   %f>=%f"},
        {tb[AT_10_OWN], tb[AT_100_LB], 0x2, "error : TB_10_LB>=TB_100_LB   %f>=%f"},
        {tc[AT_10_OWN], tc[AT_100_LC], 0x4, "error : TC_10_LC>=TC_100_LC   %f>=%f"},
        {ntu[LAMP_A][NTU_1], eau[LAMP_A], 0x8, "error : NTU_LA[1 NTU]   <= eau_LA          %f<=%f"},
        {ntu[LAMP_A][NTU_10], ntu[LAMP_A][NTU_1], 0x10, "error : NTU_LA[10 NTU]  <= NTU_LA[1 NTU]   %f<=%f"},
        {ntu[LAMP_A][NTU_100], ntu[LAMP_A][NTU_10], 0x20, "error : NTU_LA[100 NTU] <= NTU_LA[10 NTU]  %f<=%f"},
        {ntu[LAMP_B][NTU_1], eau[LAMP_B], 0x40, "error : NTU_LB[1 NTU]   <= eau_LB          %f<=%f"},
        {ntu[LAMP_B][NTU_10], ntu[LAMP_B][NTU_1], 0x80, "error : NTU_LB[10 NTU]  <= NTU_LB[1 NTU]   %f<=%f"},
        {ntu[LAMP_B][NTU_100], ntu[LAMP_B][NTU_10], 0x100, "error : NTU_LB[100 NTU] <= NTU_LB[10 NTU]  %f<=%f"},
        {ntu[LAMP_C][NTU_1], eau[LAMP_C], 0x200, "error : NTU_LC[1 NTU]   <= eau_LC          %f<=%f"},
        {ntu[LAMP_C][NTU_10], ntu[LAMP_C][NTU_1], 0x400, "error : NTU_LC[10 NTU]  <= NTU_LC[1 NTU]   %f<=%f"},
        {ntu[LAMP_C][NTU_100], ntu[LAMP_C][NTU_10], 0x800, "error : NTU_LC[100 NTU] <= NTU_LC[10 NTU]  %f<=%f"},
        {ntu[LAMP_T][NTU_1], eau[LAMP_T], 0x1000, "error : NTU_LT[1 NTU]   <= eau_LT          %f<=%f"},
        {ntu[LAMP_T][NTU_10], ntu[LAMP_T][NTU_1], 0x2000, "error : NTU_LT[10 NTU]  <= NTU_LT[1 NTU]   %f<=%f"},
        // Shares its bit with the 10 NTU rule of lamp C; files rely on it.
        {ntu[LAMP_T][NTU_100], ntu[LAMP_T][NTU_10], 0x400, "error : NTU_LT[100 NTU] <= NTU_LT[10 NTU]  %f<=%f"},
        {ta[AT_10_OWN], eau[LAMP_A], 0x800, "error : TA_10_LA   <= eau_LA      %f<=%f"},
        {tb[AT_10_OWN], eau[LAMP_B], 0x1000, "error : TB_10_LB   <= eau_LB      %f<=%f"},
        {tc[AT_10_OWN], eau[LAMP_C], 0x2000, "error : TC_10_LC   <= eau_LC      %f<=%f"},
        {ta[AT_100_LT], eau[LAMP_T], 0x4000, "error : TA_100_LT  <= eau_LT     %f<=%f"},
        {tb[AT_100_LT], eau[LAMP_T], 0x8000, "error : TB_100_LT  <= eau_LT     %f<=%f"},
        {tc[AT_100_LT], eau[LAMP_T], 0x10000, "error : TC_100_LT  <= eau_LT     %f<=%f"},
        {tb[AT_100_LA], eau[LAMP_A], 0x20000, "error : TB_100_LA  <= eau_LA     %f<=%f"},
        {tc[AT_100_LA], eau[LAMP_A], 0x40000, "error : TC_100_LA  <= eau_LA     %f<=%f"},
        {tb[AT_100_LB], eau[LAMP_B], 0x80000, "error : TB_100_LB  <= eau_LB     %f<=%f"},
        {tc[AT_100_LB], eau[LAMP_B], 0x100000, "error : TC_100_LB  <= eau_LB     %f<=%f"},
        {tb[AT_100_LC], eau[LAMP_C], 0x200000, "error : TB_100_LC  <= eau_LC     %f<=%f"},
        {tc[AT_100_LC], eau[LAMP_C], 0x400000, "error : TC_100_LC  <= eau_LC     %f<=%f"},
    };

    int32_t result = 0;
    for (int index = 0; index < 27; ++index) {
        const Trule& rule = rules[index];
        const bool fails = index < STRICT_RULES ? rule.left >= rule.right : !(rule.left > rule.right);
        if (fails) {
            result |= rule.code;
            log_printf(rule.message, rule.left, rule.right);
        }
    }
    return result;
}

const char* Tlumo_calibration_calc::format_value(double value)
{
    constexpr unsigned WIDTH = 7;
    text.format("%0.2f", value);
    if (text.length() < WIDTH) {
        Tmy_string padded;
        for (unsigned count = text.length(); count < WIDTH; ++count)
            padded.append(" ");
        padded.append(&text);
        text.assign(&padded);
    }
    return text.c_str();
}

void Tlumo_calibration_calc::write_block(Tmy_string* out, const char* name, const double values[4])
{
    out->append(SEPARATOR);
    out->appendFormat("%s\r\n", name);
    out->appendFormat("L1 %s\r\n", format_value(values[LAMP_A]));
    out->appendFormat("L2 %s\r\n", format_value(values[LAMP_B]));
    out->appendFormat("L3 %s\r\n", format_value(values[LAMP_C]));
    out->appendFormat("L4 %s\r\n", format_value(values[LAMP_T]));
}

void Tlumo_calibration_calc::write_legacy_text(Tmy_string* out)
{
    if (out == nullptr)
        return;
    out->append("               Calibration constants  -  ");
    if (model == 1)
        out->append("ZETA-QX1 fluorometer ");
    else if (model == 2)
        out->append("ZETA-QX2 fluorometer ");
    out->appendFormat("#%d\r\n", serial);
    out->append("               --------------------------------------------------\r\n");
    out->appendFormat("                           Last calibration: %02d%02d%02d\r\n", year % 100, month, day);
    out->append("                                 Values in mV\r\n");
    out->append("\r\n\r\n");

    write_block(out, "Eau", water_);
    for (int tracer = 0; tracer < 3; ++tracer)
        write_block(out, tracer_name(lamp_tracer[tracer]), tracer_response_[tracer]);
    static const char* const NTU_NAMES[3] = {"1 NTU", "10 NTU", "100 NTU"};
    for (int level = NTU_1; level <= NTU_100; ++level) {
        const double values[4] = {turbidity_response_[LAMP_A][level], turbidity_response_[LAMP_B][level],
                                  turbidity_response_[LAMP_C][level], turbidity_response_[LAMP_T][level]};
        write_block(out, NTU_NAMES[level], values);
    }

    out->append("----------------Programme parameters (must start on 1st column)---------------\r\n");
    out->append("1               Serial port in use (usually 1)\r\n");
    for (int tracer = 0; tracer < 3; ++tracer) {
        out->appendFormat("----------------Full calibration of tracer %d----------------------------------\r\n",
                          tracer + 1);
        out->append("2               Number of calibration lines, increasing concentration\r\n");
        out->appendFormat("-8 %s      log(ppb) & signal (mV)\r\n", format_value(tracer_response_[tracer][AT_10_OWN]));
        out->appendFormat("-7 %s      log(ppb) & signal (mV)\r\n", format_value(tracer_response_[tracer][tracer]));
    }
    out->append(SEPARATOR);
    out->append("4               Number of lamps (2 to 4)\r\n");
    out->append(SEPARATOR);
    out->append("0               Relay programming (no=0 yes=1)\r\n");
    out->append(SEPARATOR);
    out->append("100.0           Tracer concentration (ppb) used in L1 to L4 lines\r\n");
    out->append(SEPARATOR);
    out->append("001.0  25.0 0.015 -0.00010    QX Conductimeter gain, T compensation\r\n");
    out->append("-0.1659  1.0457  0.0019       Non-linearity correction\r\n");
    out->append(SEPARATOR);
    out->append("1               1= no datalogger 0= with datalogger 2= with Vastlog\r\n");
}
