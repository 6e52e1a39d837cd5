#pragma once
#include "events/Event_resource.h"

// Base of every active object: an event resource with five outcome records.
class Tsequence : public Tevent_resource {
public:
    Tsequence();

    Tmy_event ev_cancel;
    Tmy_event ev_success;
    Tmy_event ev_cancelled;
    Tmy_event ev_stop;
    Tmy_event ev_error;
};
