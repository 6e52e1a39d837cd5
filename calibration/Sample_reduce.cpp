#include "calibration/Sample_reduce.h"

#include "calibration/Sample_table.h"
#include "events/Lib_cpp.h"

namespace {

// A delta counts when its lamp was read. A sample's deltas are single
// floats, so their marker is the single-precision one.
bool usable(float delta)
{
    return !is_undefined(delta);
}

int row_of_group(char group)
{
    switch (group) {
    case 'T': return 0;
    case 'A': return 1;
    case 'B': return 2;
    case 'C': return 3;
    default: return -1;
    }
}

int column_of_level(double level)
{
    switch (static_cast<int>(level)) {
    case 0: return 0;
    case 1: return 1;
    case 10: return 2;
    case 100: return 3;
    default: return -1;
    }
}

bool valid_lamp(int lamp)
{
    return lamp >= LAMP_A && lamp < LAMP_COUNT;
}

}  // namespace

double sample_table_minimum(const sample_table* table, int lamp)
{
    double minimum = undefined_double();
    if (table == nullptr || !valid_lamp(lamp))
        return minimum;
    for (const auto& row : table->cell) {
        for (const auto& list : row) {
            const int count = list.count();
            for (int index = 0; index < count; ++index) {
                const float delta = list.at(index)->delta[lamp];
                if (usable(delta) && delta < minimum)
                    minimum = delta;
            }
        }
    }
    return minimum;
}

double sample_table_average(const sample_table* table, char group, int lamp, double level)
{
    const int row = row_of_group(group);
    const int column = column_of_level(level);
    if (table == nullptr || row < 0 || column < 0 || !valid_lamp(lamp))
        return undefined_double();
    const auto& list = table->cell[row][column];
    double sum = 0.0;
    int taken = 0;
    const int count = list.count();
    for (int index = 0; index < count; ++index) {
        const float delta = list.at(index)->delta[lamp];
        if (usable(delta)) {
            sum += delta;
            ++taken;
        }
    }
    return taken > 0 ? sum / taken : undefined_double();
}
