#include "events/Delay_resource.h"

namespace {

// Set by the signal window while it exists; GUI thread only.
Ttimer_service* installed_service = nullptr;

} // namespace

void set_timer_service(Ttimer_service* service)
{
    installed_service = service;
}

Ttimer_service* timer_service()
{
    return installed_service;
}

Tdelay_resource::Tdelay_resource()
{
    setParam("name", "delay");
    ev_timer.init("TIMER", this);
}

Tdelay_resource::~Tdelay_resource()
{
    stop();
}

// 0 ms reports through the queue, after what is already waiting. A running
// timer is neither restarted nor extended. Without a timer service nothing
// is armed and the next call tries again.
void Tdelay_resource::setDelay(unsigned ms)
{
    if (ms == 0) {
        ev_timer.trigger();
        return;
    }
    if (timer_id != 0 || !installed_service) return;
    timer_id = installed_service->start_timer(this, ms);
}

void Tdelay_resource::stop()
{
    if (timer_id == 0) return;
    if (installed_service) installed_service->kill_timer(timer_id);
    timer_id = 0;
}

// Stopping first makes every arming expire at most once.
void Tdelay_resource::expired()
{
    stop();
    OnEvent(&ev_timer);
}

void Tdelay_resource::OnEvent(Tmy_event* event)
{
    if (!listener) return;
    if (event == &ev_timer) {
        listener->OnEvent(&ev_success);
    } else if (event == &ev_cancel) {
        listener->OnEvent(&ev_cancelled);
    }
}
