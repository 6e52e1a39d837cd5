// A USB serial adapter pulled out while nothing is read or written: the
// pending read may never end, so the port's status is asked at every idle
// wake-up and a failing status ends the link. Wine cannot pull a port; the
// status call is replaced by one that fails once the adapter "is pulled".
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "Event_pump.h"
#include "Port_pair.h"
#include "link/Serial_resource.h"
#include "link/Serial_resource_win32.h"

namespace {

std::atomic<bool> pulled{false};
bool present_until_pulled(HANDLE) { return !pulled.load(); }

class Treports : public Tevent_resource {
public:
    void OnEvent(Tmy_event* event) override { names.push_back(event->name); }
    std::vector<std::string> names;
};

}  // namespace

TEST(Serial_pulled_adapter, AFailingStatusWhileIdleEndsTheLink) {
    Tport_pair pair;
    ASSERT_TRUE(pair.ok()) << pair.problem();
    event_pump::install();
    const auto real_check = Tserial_resource_win32::presence_check.exchange(present_until_pulled);
    {
        Tserial_resource serial;
        Treports reports;
        serial.connect(&reports);
        ASSERT_EQ(serial.open(pair.device_path().c_str(), 9600, 0, 8, false, 0, 1), 0u);
        ASSERT_TRUE(event_pump::until([&] { return reports.names.size() == 1; }));
        pulled = true;
        EXPECT_TRUE(event_pump::until([&] { return reports.names.size() == 2; }, 7000));
        EXPECT_EQ(reports.names, (std::vector<std::string>{"CONNECTED", "DISCONNECTED"}));
        EXPECT_FALSE(serial.platform->running());
    }
    Tserial_resource_win32::presence_check = real_check;
    event_pump::uninstall();
}
