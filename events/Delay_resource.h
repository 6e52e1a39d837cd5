#pragma once
#include <cstdint>
#include "events/Sequence.h"

class Tdelay_resource;

// The platform's one-shot timers (the signal window's Qt timers). start
// returns a non-zero id, or 0 when no timer could be had; on expiry the
// service calls the delay's expired on the GUI thread. Without a service
// (before the signal window exists) setDelay arms nothing.
class Ttimer_service {
public:
    virtual ~Ttimer_service() = default;
    virtual uintptr_t start_timer(Tdelay_resource* delay, unsigned ms) = 0;
    virtual void kill_timer(uintptr_t timer_id) = 0;
};
void set_timer_service(Ttimer_service* service);
Ttimer_service* timer_service();

// A one-shot timer that reports "SUCCESS" to its listener on expiry.
class Tdelay_resource : public Tsequence {
public:
    Tdelay_resource();
    ~Tdelay_resource() override;

    void setDelay(unsigned ms);
    void stop() override;
    void OnEvent(Tmy_event* event) override;
    // Called by the timer service when this delay's timer fires.
    void expired();
    bool running() const { return timer_id != 0; }

    Tmy_event ev_timer;

private:
    uintptr_t timer_id = 0;
};
