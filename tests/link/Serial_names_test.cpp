#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Port_pair.h"
#include "link/Serial_enum.h"
#include "link/Serial_ports.h"

TEST(Serial_ports, PortNumbersOfDevicePaths) {
    const struct {
        const char* path;
        int port;
    } cases[] = {{"\\\\.\\COM3", 3}, {"COM10", 10}, {"com7", 7}, {"\\\\.\\COM255", 255}, {"\\\\.\\COM256", 0},
                 {"COM0", 0},        {"COM", 0},    {"COM1x", 0}, {"LPT1", 0},           {"", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(serial_port_number(c.path), c.port) << c.path;
    EXPECT_EQ(serial_port_number(nullptr), 0);
}

// The "portname" values the device-setup service gives its ports.
TEST(Serial_ports, PortNamesOfDevices) {
    const struct {
        const char* name;
        int port;
    } cases[] = {{"COM1", 1},  {"com10", 10},   {"Com255", 255}, {"COM256", 0},  {"COM0", 0},  {"COM-3", 0},
                 {"COM 4", 4}, {"COM12abc", 12}, {"LPT1", 0},    {"PRN", 0},     {"CO", 0},    {"", 0},
                 {"COMx", 0},  {"COM99999999999999999999", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(serial_port_of_name(c.name), c.port) << c.name;
    EXPECT_EQ(serial_port_of_name(nullptr), 0);
}

TEST(Serial_enum, ScanFindsAnOfferedPort) {
    std::string why_not;
    if (!Tport_pair::offered_port_listed(&why_not))
        GTEST_SKIP() << why_not;
    Tport_pair pair;
    ASSERT_TRUE(pair.ok()) << pair.problem();
    const int port = pair.offer_as_com_port();
    ASSERT_GT(port, 0);
    unsigned char table[SERIAL_PORT_TABLE_SIZE];
    memset(table, 0xAA, sizeof table);
    Tserial_enum().scan(table);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[port], 1);
    for (unsigned char entry : table)
        EXPECT_LE(entry, 1);
}
