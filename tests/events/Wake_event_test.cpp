// The signal window's wake-up messages: raising an event allocates nothing,
// and wake-ups beyond the recycled ones still arrive and are freed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>

#include <atomic>
#include <cstdlib>
#include <new>

#include "events/Event_resource.h"
#include "events/Wsignal.h"

namespace {

std::atomic<unsigned long> allocations{0};

class Tcounter : public Tevent_resource {
public:
    void OnEvent(Tmy_event*) override { ++delivered; }
    int delivered = 0;
};

unsigned long raise_and_count(Tmy_event* event)
{
    const unsigned long before = allocations.load();
    event->trigger();
    return allocations.load() - before;
}

TEST(Wake_event, RaisingOntoAnEmptyQueueAllocatesNothing)
{
    TSignalForm window;
    QCoreApplication::processEvents();
    Tcounter owner;
    Tmy_event event;
    event.init("WAKE", &owner);
    unsigned long raised_allocations = 0;
    for (int i = 0; i < 100; i++) {
        raised_allocations += raise_and_count(&event);
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(owner.delivered, 100);
    EXPECT_EQ(raised_allocations, 0u);
}

// A reset leaves its wake-up outstanding; more of them than are recycled
// come from the heap and are all delivered and freed.
TEST(Wake_event, WakeUpsBeyondTheRecycledOnesStillArrive)
{
    TSignalForm window;
    QCoreApplication::processEvents();
    Tcounter owner;
    Tmy_event event;
    event.init("WAKE", &owner);
    for (int i = 0; i < 10; i++) {
        event.trigger();
        event_queue_reset();
    }
    event.trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.delivered, 1);
    EXPECT_TRUE(event_queue_empty());
    event.trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(owner.delivered, 2);
}

} // namespace

void* operator new(std::size_t size)
{
    allocations.fetch_add(1);
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
