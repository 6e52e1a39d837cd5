#include "link/Lumo2_common.h"

Tlumo2_common::Tlumo2_common() { setParam("name", "common"); }
Tlumo2_common::~Tlumo2_common() = default;
void Tlumo2_common::start() {}
void Tlumo2_common::updatePortList() {}
void Tlumo2_common::connectPort() {}
void Tlumo2_common::saveSettings() {}
bool Tlumo2_common::send(const unsigned char*, unsigned) { return true; }
void Tlumo2_common::OnEvent(Tmy_event*) {}
