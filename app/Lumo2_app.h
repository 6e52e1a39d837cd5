#pragma once
#include "analysis/Tracer_test.h"
#include "app/Gui.h"
#include "app/Settings.h"
#include "calibration/Lumo2_cal_master.h"
#include "link/Lumo2_common.h"
#include "view/Lumo2_view_master.h"

// The application's global record, constructed in this order before any
// window exists and living for the whole run.
struct Tlumo2_app {
    Tlumo2_app()
    {
        tracer_test.keep_with_journal([this] { return view_master.journal.current_path(); });
        tracer_test.name_constants([this] { return view_master.constants_file(); });
    }

    Tlumo2_cal_master cal_master;
    Tlumo2_common common;
    Tlumo2_view_master view_master;
    Tsettings settings;
    Tbridge_state bridge;
    // The view window's tracer test, on the view master's table.
    Ttracer_test tracer_test{&view_master.table};
};

// The running application's record; null before it is made and after it ends.
Tlumo2_app* the_app();
// Makes (or, with null, forgets) the global record. The caller owns it.
void set_the_app(Tlumo2_app* app);
