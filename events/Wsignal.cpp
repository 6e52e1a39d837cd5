#include "events/Wsignal.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimerEvent>

#include <atomic>
#include <mutex>

#include "events/Event_resource.h"

namespace {

// The wake hook runs on any thread; the lock keeps it from posting to a
// window that is being destroyed.
std::mutex signal_window_lock;
TSignalForm* signal_window = nullptr;

constexpr QEvent::Type EVENT_QUEUE_TYPE = QEvent::Type(WM_EVENT_QUEUE);
constexpr QEvent::Type START_APPLICATION_TYPE = QEvent::Type(WM_START_APPLICATION);

// The queue's wake-up message. The toolkit owns and deletes every posted
// event, so its storage is recycled here: raising an event allocates
// nothing. Mostly one wake-up is alive, two while one is handled and posts
// the next; more only if the queue is reset while one is outstanding, and
// those few come from the heap.
class Tqueue_wake_event : public QEvent {
public:
    Tqueue_wake_event() : QEvent(EVENT_QUEUE_TYPE) {}
    static void* operator new(size_t size);
    static void operator delete(void* block, size_t size);
};

constexpr int WAKE_BLOCKS = 4;
alignas(Tqueue_wake_event) unsigned char wake_blocks[WAKE_BLOCKS][sizeof(Tqueue_wake_event)];
std::atomic<bool> wake_block_used[WAKE_BLOCKS];

void* Tqueue_wake_event::operator new(size_t size)
{
    for (int i = 0; size == sizeof(Tqueue_wake_event) && i < WAKE_BLOCKS; i++) {
        bool free_block = false;
        if (wake_block_used[i].compare_exchange_strong(free_block, true)) return wake_blocks[i];
    }
    return ::operator new(size);
}

void Tqueue_wake_event::operator delete(void* block, size_t size)
{
    for (int i = 0; i < WAKE_BLOCKS; i++)
        if (block == wake_blocks[i]) {
            wake_block_used[i].store(false);
            return;
        }
    ::operator delete(block, size);
}

void post_event_queue_wake_up()
{
    std::lock_guard<std::mutex> guard(signal_window_lock);
    if (signal_window) QCoreApplication::postEvent(signal_window, new Tqueue_wake_event);
}

} // namespace

TSignalForm::TSignalForm(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setWindowTitle("SignalForm");
    {
        std::lock_guard<std::mutex> guard(signal_window_lock);
        signal_window = this;
    }
    QCoreApplication::postEvent(this, new QEvent(START_APPLICATION_TYPE));
    // The hook first: an event raised just after the reset then still wakes
    // the queue, where before it would have waited for a wake-up never sent.
    set_wake_hook(post_event_queue_wake_up);
    event_queue_reset();
    set_timer_service(this);
}

TSignalForm::~TSignalForm()
{
    if (timer_service() == this) set_timer_service(nullptr);
    set_wake_hook(nullptr);
    std::lock_guard<std::mutex> guard(signal_window_lock);
    if (signal_window == this) signal_window = nullptr;
}

void TSignalForm::setStartHandler(std::function<void()> handler)
{
    start_handler = std::move(handler);
}

uintptr_t TSignalForm::start_timer(Tdelay_resource* delay, unsigned ms)
{
    if (!delay) return 0;
    int id = startTimer(int(ms > INT32_MAX ? INT32_MAX : ms), Qt::PreciseTimer);
    if (id <= 0) return 0;
    delays[id] = delay;
    return uintptr_t(id);
}

void TSignalForm::kill_timer(uintptr_t timer_id)
{
    auto found = delays.find(int(timer_id));
    if (found == delays.end()) return;
    delays.erase(found);
    killTimer(int(timer_id));
}

bool TSignalForm::event(QEvent* event)
{
    if (event->type() == EVENT_QUEUE_TYPE) {
        OnCustomEventHandler();
        return true;
    }
    if (event->type() == START_APPLICATION_TYPE) {
        if (start_handler) start_handler();
        return true;
    }
    return QWidget::event(event);
}

void TSignalForm::timerEvent(QTimerEvent* event)
{
    auto found = delays.find(event->timerId());
    if (found == delays.end()) {
        QWidget::timerEvent(event);
        return;
    }
    found->second->expired();
}
