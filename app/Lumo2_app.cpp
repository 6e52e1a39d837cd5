#include "app/Lumo2_app.h"

namespace {
Tlumo2_app* running_app = nullptr;
}

Tlumo2_app* the_app() { return running_app; }

void set_the_app(Tlumo2_app* app) { running_app = app; }
