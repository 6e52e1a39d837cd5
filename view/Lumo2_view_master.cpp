#include "view/Lumo2_view_master.h"

Tlumo2_view_master::Tlumo2_view_master() { setParam("name", "view_master"); }
void Tlumo2_view_master::start() {}
void Tlumo2_view_master::OnStop() {}
void Tlumo2_view_master::window_closed() {}
void Tlumo2_view_master::tick() {}
void Tlumo2_view_master::on_data(int, const unsigned char*, unsigned) {}
