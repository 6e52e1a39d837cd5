#include "calibration/Lumo2_cal_master.h"

Tlumo2_cal_master::Tlumo2_cal_master() { setParam("name", "cal_master"); }
void Tlumo2_cal_master::start_acquisition() {}
void Tlumo2_cal_master::stop_acquisition() {}
void Tlumo2_cal_master::window_closed() {}
void Tlumo2_cal_master::calculate(Tmy_string*) {}
void Tlumo2_cal_master::clear_samples() {}
void Tlumo2_cal_master::tick() {}
void Tlumo2_cal_master::on_instrument_data(int, const unsigned char*, unsigned) {}
