#include "events/Event_resource.h"

#include <atomic>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "events/Lib_cpp.h"
#include "events/My_string.h"

namespace {

// The single queue, shared by the GUI thread and the serial worker thread.
struct Tevent_queue {
    std::mutex lock;
    Tmy_event* head = nullptr;
    Tmy_event* tail = nullptr;
};

Tevent_queue& queue()
{
    static Tevent_queue instance;
    return instance;
}

std::atomic<Twake_hook> wake_hook{nullptr};

// Off: when on, each delivery logs the message and the queue around it.
constexpr bool TRACE_DELIVERY = false;

// Appends under the lock unless already pending; true when the queue was
// empty, so that the caller posts the one wake-up.
bool append_locked(Tmy_event* event)
{
    Tevent_queue& q = queue();
    if (event->pending) return false;
    event->pending = 1;
    event->next = nullptr;
    if (q.head && q.tail) {
        q.tail->next = event;
        q.tail = event;
        return false;
    }
    q.head = event;
    q.tail = event;
    return true;
}

// Takes the head; sets more when records remain behind it.
Tmy_event* take_head(bool* more)
{
    Tevent_queue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    *more = false;
    Tmy_event* event = q.head;
    if (!event) return nullptr;
    if (q.head == q.tail) {
        q.head = nullptr;
        q.tail = nullptr;
    } else {
        q.head = event->next;
        *more = q.head != nullptr;
    }
    event->next = nullptr;
    return event;
}

// A resource going away takes its queued records with it, so that no
// delivery reaches a destroyed object.
void forget_records_of(const Tevent_resource* owner)
{
    Tevent_queue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    Tmy_event* previous = nullptr;
    Tmy_event* event = q.head;
    while (event) {
        Tmy_event* following = event->next;
        if (event->owner == owner) {
            if (previous) previous->next = following; else q.head = following;
            if (q.tail == event) q.tail = previous;
            event->next = nullptr;
            event->pending = 0;
        } else {
            previous = event;
        }
        event = following;
    }
}

} // namespace

void Tmy_event::init(const char* event_name, Tevent_resource* event_owner)
{
    if (!event_name || copy_bounded(name, event_name, sizeof name) == 0) name[0] = 0;
    owner = event_owner;
}

void Tmy_event::trigger()
{
    event_add_to_queue(this, trace);
}

void Tmy_event::deliver()
{
    {
        std::lock_guard<std::mutex> guard(queue().lock);
        pending = 0;
    }
    if (owner) owner->OnEvent(this);
}

// The pending test-and-set and the append form one step under the lock, so
// a record raised from two threads is queued once.
void event_add_to_queue(Tmy_event* event, int trace)
{
    if (!event) return;
    if (trace) log_printf("event_add_to_queue (%s)", event->name);
    bool was_empty;
    {
        std::lock_guard<std::mutex> guard(queue().lock);
        was_empty = append_locked(event);
    }
    if (!was_empty) return;
    if (trace) log_printf("event_add_to_queue : gen_event");
    gen_event();
}

void OnCustomEventHandler()
{
    if (TRACE_DELIVERY) {
        log_printf("OnCustomEventHandler WParam=%u LParam=%u", 0u, 0u);
        show_events_pending();
    }
    bool more = false;
    Tmy_event* event = take_head(&more);
    if (TRACE_DELIVERY) show_events_pending();
    if (!event) return;
    if (more) gen_event();
    event->deliver();
}

void show_events_pending()
{
    std::vector<const Tmy_event*> queued;
    bool broken = false;
    {
        Tevent_queue& q = queue();
        std::lock_guard<std::mutex> guard(q.lock);
        broken = !q.head && q.tail;
        for (const Tmy_event* event = q.head; event; event = event->next) queued.push_back(event);
    }
    if (broken) {
        log_printf("PROBLEM !!!! : ce cas @248 ne devrait pas exister");
        return;
    }
    if (queued.empty()) {
        log_printf("show_events_pending() =>  { vide } ");
        return;
    }
    log_printf("show_events_pending() => BEGIN");
    for (const Tmy_event* event : queued) {
        if (event == queued.back()) {
            log_printf("      event *LAST* %s ", event->name);
        } else {
            log_printf("      event        %s ", event->name);
        }
    }
    log_printf("-- show_events_pending END");
}

void set_wake_hook(Twake_hook hook)
{
    wake_hook.store(hook);
}

void gen_event()
{
    Twake_hook hook = wake_hook.load();
    if (hook) hook();
}

void event_queue_reset()
{
    Tevent_queue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    while (q.head) {
        Tmy_event* event = q.head;
        q.head = event->next;
        event->next = nullptr;
        event->pending = 0;
    }
    q.tail = nullptr;
}

bool event_queue_empty()
{
    Tevent_queue& q = queue();
    std::lock_guard<std::mutex> guard(q.lock);
    return q.head == nullptr;
}

Tevent_resource::~Tevent_resource()
{
    forget_records_of(this);
    delete[] name;
}

void Tevent_resource::setParam(const char* param, const char* value)
{
    if (!param || !value || equal_ignore_case(param, "name") != 0) return;
    delete[] name;
    size_t length = strlen(value);
    name = new (std::nothrow) char[length + 1];
    if (name) memcpy(name, value, length + 1);
}

const char* Tevent_resource::getParam(const char* param)
{
    if (param && name && equal_ignore_case(param, "name") == 0) return name;
    return "";
}

bool Tevent_resource::connect(Tevent_resource* new_listener)
{
    if (!new_listener) return false;
    if (listener == new_listener) return true;
    if (listener) return false;
    listener = new_listener;
    return true;
}

void Tevent_resource::disconnect(Tevent_resource* old_listener)
{
    if (old_listener && old_listener == listener) listener = nullptr;
}
