#include "events/Sequence.h"

Tsequence::Tsequence()
{
    ev_cancel.init("CANCEL", this);
    ev_success.init("SUCCESS", this);
    ev_cancelled.init("CANCELLED", this);
    ev_stop.init("STOP", this);
    ev_error.init("ERROR", this);
}
