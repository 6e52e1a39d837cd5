#pragma once
#include <QWidget>

#include <cstdint>
#include <functional>
#include <map>

#include "events/Delay_resource.h"

// The hidden window that pumps the event queue (one posted event per queued
// record), carries the start-up message and runs the delay resources' timers.
// Never shown. One instance per program.
class TSignalForm : public QWidget, public Ttimer_service {
    Q_OBJECT
public:
    explicit TSignalForm(QWidget* parent = nullptr);
    ~TSignalForm() override;

    // Called once when the start-up message is delivered, inside the loop.
    void setStartHandler(std::function<void()> handler);

    uintptr_t start_timer(Tdelay_resource* delay, unsigned ms) override;
    void kill_timer(uintptr_t timer_id) override;

protected:
    bool event(QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    std::function<void()> start_handler;
    std::map<int, Tdelay_resource*> delays;
};
