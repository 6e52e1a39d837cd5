#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "Event_pump.h"
#include "Port_pair.h"
#include "events/Log_capture.h"
#include "link/Inprocess_port.h"
#include "link/Serial_resource.h"

namespace {

// The listener: records every report by name, and the bytes of each
// "DATA_ARRIVAL" (without re-arming: the test decides when).
class Trecorder : public Tevent_resource {
public:
    explicit Trecorder(Tserial_resource* source) : serial(source) {}
    void OnEvent(Tmy_event* event) override {
        reports.push_back(event->name);
        if (event == &serial->ev_data_arrival)
            received.append(reinterpret_cast<char*>(serial->getRxBuffer()), size_t(serial->getRxCount()));
    }
    int count(const std::string& name) const { return int(std::count(reports.begin(), reports.end(), name)); }

    Tserial_resource* serial;
    std::vector<std::string> reports;
    std::string received;
};

constexpr unsigned char XON = 0x11;
constexpr unsigned char XOFF = 0x13;

class Serial_resource_line : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pair.ok()) << pair.problem();
        event_pump::install();
        serial.connect(&recorder);
    }
    void TearDown() override {
        serial.close();
        event_pump::uninstall();
    }
    unsigned open_near(unsigned char flow = 0) {
        return serial.open(pair.device_path().c_str(), 9600, 0, 8, false, flow, 1);
    }
    bool wait_for(const char* report, int times = 1) {
        return event_pump::until([&] { return recorder.count(report) >= times; });
    }

    Tport_pair pair;
    Tserial_resource serial;
    Trecorder recorder{&serial};
    Log_capture log;
};

}  // namespace

TEST_F(Serial_resource_line, MissingDeviceFailsSilentlyThenAValidOpenWorks) {
    EXPECT_EQ(serial.open("/dev/no-such-tty", 9600, 0, 8, false, 0, 1), 0x40u);
    EXPECT_EQ(serial.open(nullptr, 9600, 0, 8, false, 0, 1), 0x2u);
    EXPECT_EQ(serial.open(pair.device_path().c_str(), 9600, 0, 9, false, 0, 1), 0x20u);
    event_pump::for_ms(50);
    EXPECT_TRUE(recorder.reports.empty());
    EXPECT_FALSE(serial.platform->running());

    EXPECT_EQ(open_near(), 0u);
    ASSERT_TRUE(wait_for("CONNECTED"));
    EXPECT_GE(event_pump::wake_count().load(), 1);
    EXPECT_TRUE(Log_capture::lines().empty());
}

TEST_F(Serial_resource_line, OneByteForEachReadUntilRearmed) {
    ASSERT_EQ(open_near(), 0u);
    ASSERT_TRUE(wait_for("CONNECTED"));
    pair.write_text("abc");
    ASSERT_TRUE(wait_for("DATA_ARRIVAL"));
    EXPECT_EQ(recorder.received, "a");
    event_pump::for_ms(100);
    EXPECT_EQ(recorder.count("DATA_ARRIVAL"), 1);

    serial.rearmRead();
    ASSERT_TRUE(wait_for("DATA_ARRIVAL", 2));
    EXPECT_EQ(serial.getRxCount(), 1);
    serial.rearmRead();
    ASSERT_TRUE(wait_for("DATA_ARRIVAL", 3));
    EXPECT_EQ(recorder.received, "abc");
}

TEST_F(Serial_resource_line, SendRejectionsAndTheirLogLines) {
    ASSERT_EQ(open_near(2), 0u);  // XON/XOFF: the far end can hold our output back
    ASSERT_TRUE(wait_for("CONNECTED"));
    pair.write_text(std::string(1, char(XOFF)));
    event_pump::for_ms(50);

    const std::string block(256, 'q');
    const auto* bytes = reinterpret_cast<const unsigned char*>(block.data());
    EXPECT_FALSE(serial.sendData(bytes, 256));
    EXPECT_TRUE(serial.sendData(bytes, 1));
    EXPECT_EQ(Log_capture::lines(), std::vector<std::string>{"Tserial_resource::sendData rejected : tx_in_progress"});

    pair.write_text(std::string(1, char(XON)));
    ASSERT_TRUE(wait_for("DATA_SENT"));
    EXPECT_EQ(pair.read_bytes(256), block);
    EXPECT_EQ(recorder.count("DATA_ARRIVAL"), 0) << recorder.received;  // flow-control bytes are not data

    Log_capture::lines().clear();
    const std::string too_long(257, 'x');
    EXPECT_TRUE(serial.sendData(reinterpret_cast<const unsigned char*>(too_long.data()), 257));
    EXPECT_TRUE(serial.sendData(bytes, 0xFFFFFFFFu));
    EXPECT_TRUE(serial.sendData(nullptr, 1));
    EXPECT_EQ(Log_capture::lines(), std::vector<std::string>(2, "Tserial_resource::sendData rejected : size>SERIAL_MAX_SIZE"));

    serial.close();
    Log_capture::lines().clear();
    EXPECT_TRUE(serial.sendData(bytes, 1));
    EXPECT_TRUE(Log_capture::lines().empty());
}

TEST_F(Serial_resource_line, FarEndClosingDisconnects) {
    ASSERT_EQ(open_near(), 0u);
    ASSERT_TRUE(wait_for("CONNECTED"));
    pair.close_far_end();
    ASSERT_TRUE(wait_for("DISCONNECTED"));
    EXPECT_FALSE(serial.platform->running());
    EXPECT_FALSE(serial.platform->device_open());
    EXPECT_EQ(recorder.count("CONNECTED"), 1);
    EXPECT_EQ(recorder.count("DISCONNECTED"), 1);
}

TEST_F(Serial_resource_line, SecondOpenEndsTheFirstConnectionFirst) {
    Tport_pair other;
    ASSERT_TRUE(other.ok()) << other.problem();
    ASSERT_EQ(open_near(), 0u);
    ASSERT_TRUE(wait_for("CONNECTED"));
    ASSERT_EQ(serial.open(other.device_path().c_str(), 9600, 0, 8, false, 0, 1), 0u);
    ASSERT_TRUE(wait_for("CONNECTED", 2));
    EXPECT_EQ(recorder.reports, (std::vector<std::string>{"CONNECTED", "DISCONNECTED", "CONNECTED"}));

    other.write_text("z");
    ASSERT_TRUE(wait_for("DATA_ARRIVAL"));
    EXPECT_EQ(recorder.received, "z");
    const unsigned char ping = 'O';
    EXPECT_FALSE(serial.sendData(&ping, 1));
    EXPECT_EQ(other.read_bytes(1), "O");
}

TEST(Serial_resource_lifetime, DestroyingARunningResourceIsQuickAndLeavesNothingQueued) {
    Tport_pair pair;
    ASSERT_TRUE(pair.ok()) << pair.problem();
    event_pump::install();
    auto* serial = new Tserial_resource;
    ASSERT_EQ(serial->open(pair.device_path().c_str(), 9600, 0, 8, false, 0, 1), 0u);
    pair.write_text("x");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto start = std::chrono::steady_clock::now();
    delete serial;
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took, std::chrono::milliseconds(500));
    // Its "CONNECTED", "DATA_ARRIVAL" and "DISCONNECTED" went with it.
    EXPECT_TRUE(event_queue_empty());
    event_pump::uninstall();
}

namespace {

// A device played inside the test: it records what the program wrote and
// hands bytes to the port that opened it.
class Tplayed_device : public Tinprocess_device {
public:
    bool attach(Tinprocess_port* new_port) override {
        port = new_port;
        return !ended;
    }
    void receive(const unsigned char* bytes, unsigned length) override {
        written.append(reinterpret_cast<const char*>(bytes), length);
    }
    Tinprocess_port* port = nullptr;
    bool ended = false;
    std::string written;
};

constexpr int PLAYED_COM = 230;

class Serial_resource_inprocess : public ::testing::Test {
protected:
    void SetUp() override {
        event_pump::install();
        register_inprocess_device(PLAYED_COM, device);
        serial.connect(&recorder);
    }
    void TearDown() override {
        serial.close();
        register_inprocess_device(PLAYED_COM, nullptr);
        event_pump::uninstall();
    }
    unsigned open_played() { return serial.open("\\\\.\\COM230", 9600, 0, 8, false, 0, 1); }
    bool wait_for(const char* report, int times = 1) {
        return event_pump::until([&] { return recorder.count(report) >= times; });
    }

    std::shared_ptr<Tplayed_device> device = std::make_shared<Tplayed_device>();
    Tserial_resource serial;
    Trecorder recorder{&serial};
};

}  // namespace

// The same contract as a system port's: nothing more read until re-armed,
// a write reported sent, and one "DISCONNECTED" whichever end goes first.
TEST_F(Serial_resource_inprocess, BehavesAsASystemPort) {
    ASSERT_EQ(open_played(), 0u);
    ASSERT_TRUE(wait_for("CONNECTED"));
    ASSERT_NE(device->port, nullptr);
    device->port->deliver("ab");
    ASSERT_TRUE(wait_for("DATA_ARRIVAL"));
    device->port->deliver("c");
    event_pump::for_ms(20);
    EXPECT_EQ(recorder.received, "ab");
    serial.rearmRead();
    ASSERT_TRUE(wait_for("DATA_ARRIVAL", 2));
    EXPECT_EQ(recorder.received, "abc");

    const unsigned char ping = 'O';
    EXPECT_FALSE(serial.sendData(&ping, 1));
    ASSERT_TRUE(wait_for("DATA_SENT"));
    EXPECT_EQ(device->written, "O");

    device->port->hang_up();
    ASSERT_TRUE(wait_for("DISCONNECTED"));
    EXPECT_FALSE(serial.platform->device_open());
    EXPECT_TRUE(serial.sendData(&ping, 1));
    serial.close();
    event_pump::for_ms(20);
    EXPECT_EQ(recorder.reports,
              (std::vector<std::string>{"CONNECTED", "DATA_ARRIVAL", "DATA_ARRIVAL", "DATA_SENT", "DISCONNECTED"}));
    EXPECT_EQ(device->port, nullptr);
}

TEST_F(Serial_resource_inprocess, ListedWhileRegisteredAndRefusedOnceEnded) {
    unsigned char present[SERIAL_PORT_TABLE_SIZE] = {};
    mark_inprocess_devices(present);
    EXPECT_EQ(present[PLAYED_COM], 1);
    EXPECT_EQ(free_inprocess_number(PLAYED_COM, present), PLAYED_COM + 1);

    device->ended = true;
    EXPECT_EQ(open_played(), SERIAL_OPEN_FAILED);
    register_inprocess_device(PLAYED_COM, nullptr);
    EXPECT_EQ(open_played(), SERIAL_OPEN_FAILED);
    event_pump::for_ms(20);
    EXPECT_TRUE(recorder.reports.empty());
}

// Moving from a system port to a played one closes the first before the
// second connects, as a second open within one half does.
TEST_F(Serial_resource_inprocess, SwitchingFromASystemPortEndsItFirst) {
    Tport_pair pair;
    ASSERT_TRUE(pair.ok()) << pair.problem();
    ASSERT_EQ(serial.open(pair.device_path().c_str(), 9600, 0, 8, false, 0, 1), 0u);
    ASSERT_TRUE(wait_for("CONNECTED"));
    ASSERT_EQ(open_played(), 0u);
    ASSERT_TRUE(wait_for("CONNECTED", 2));
    EXPECT_EQ(recorder.reports, (std::vector<std::string>{"CONNECTED", "DISCONNECTED", "CONNECTED"}));
}
