#pragma once

class Tevent_resource;

// One event record, embedded in its source and raised again every time that
// thing happens. Identified by its address; the name serves logging only.
class Tmy_event {
public:
    Tmy_event* next = nullptr;
    Tevent_resource* owner = nullptr;
    unsigned char pending = 0;
    int trace = 0;
    char name[64] = {};

    void init(const char* event_name, Tevent_resource* event_owner);
    // Raise: link into the queue unless already pending. Any thread.
    void trigger();
    // Clear pending, then hand to the owner's OnEvent. GUI thread, and only
    // for a record already taken from the queue.
    void deliver();
};

// Base of every event source and consumer. Destroying one drops its records
// that still wait in the queue.
class Tevent_resource {
public:
    Tevent_resource() = default;
    virtual ~Tevent_resource();
    Tevent_resource(const Tevent_resource&) = delete;
    Tevent_resource& operator=(const Tevent_resource&) = delete;

    virtual void stop() {}
    virtual void setParam(const char* param, const char* value);
    virtual const char* getParam(const char* param);
    virtual bool connect(Tevent_resource* new_listener);
    virtual void disconnect(Tevent_resource* old_listener);
    virtual void OnEvent(Tmy_event* event) { (void)event; }

protected:
    Tevent_resource* listener = nullptr;
    char* name = nullptr;
};

// The global event queue. Appending and taking the head are thread-safe.
void event_add_to_queue(Tmy_event* event, int trace);
// Takes the head and delivers it (the handler of WM_EVENT_QUEUE). GUI thread.
void OnCustomEventHandler();
void show_events_pending();

// The hidden window's wake-up: posts one WM_EVENT_QUEUE. Installed by the
// signal window; tests may install their own.
using Twake_hook = void (*)();
void set_wake_hook(Twake_hook hook);
void gen_event();

// Drops every queued record (pending cleared). For tests and shutdown.
void event_queue_reset();
bool event_queue_empty();

constexpr int WM_EVENT_QUEUE = 0x8140;
constexpr int WM_START_APPLICATION = 0x8141;
