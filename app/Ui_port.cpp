#include "app/Ui_port.h"

namespace {
Tui_port* current_port = nullptr;
}

void set_ui_port(Tui_port* port) { current_port = port; }

Tui_port* ui_port() { return current_port; }
