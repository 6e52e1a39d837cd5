#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Pty.h"
#include "events/My_string.h"
#include "link/Serial_enum.h"
#include "link/Serial_ports_posix.h"

namespace {

// A port-link directory of the test's own, named by LUMO2_PORT_DIR.
class Port_links : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/lumo2-ports-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        setenv("LUMO2_PORT_DIR", dir.c_str(), 1);
    }
    void TearDown() override {
        for (const std::string& name : made)
            unlink((dir + "/" + name).c_str());
        rmdir(dir.c_str());
        unsetenv("LUMO2_PORT_DIR");
    }
    void link_port(const char* name, const std::string& target) {
        ASSERT_EQ(symlink(target.c_str(), (dir + "/" + name).c_str()), 0);
        made.push_back(name);
    }
    std::string resolve(const char* path) {
        Tmy_string out;
        return serial_resolve_device(path, &out) ? out.c_str() : "<none>";
    }

    std::string dir;
    std::vector<std::string> made;
};

}  // namespace

TEST(Serial_ports, LinkDirectoryFallbacks) {
    Tmy_string dir;
    setenv("LUMO2_PORT_DIR", "/x/ports", 1);
    serial_port_link_directory(&dir);
    EXPECT_STREQ(dir.c_str(), "/x/ports");
    unsetenv("LUMO2_PORT_DIR");
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    const std::string saved = runtime ? runtime : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/7", 1);
    serial_port_link_directory(&dir);
    EXPECT_STREQ(dir.c_str(), "/run/user/7/lumo2/ports");
    unsetenv("XDG_RUNTIME_DIR");
    serial_port_link_directory(&dir);
    EXPECT_EQ(std::string(dir.c_str()), std::string(getenv("HOME") ? getenv("HOME") : ".") + "/.lumo2/ports");
    if (runtime)
        setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

TEST_F(Port_links, ResolutionPrefersLinksThenTheFixedScheme) {
    link_port("COM5", "/dev/pts/99");
    EXPECT_EQ(resolve("\\\\.\\COM5"), dir + "/COM5");
    EXPECT_EQ(resolve("\\\\.\\COM1"), "/dev/ttyS0");
    EXPECT_EQ(resolve("\\\\.\\COM32"), "/dev/ttyS31");
    EXPECT_EQ(resolve("\\\\.\\COM33"), "/dev/ttyUSB0");
    EXPECT_EQ(resolve("\\\\.\\COM96"), "/dev/ttyACM31");
    EXPECT_EQ(resolve("\\\\.\\COM97"), "<none>");
    EXPECT_EQ(resolve("/dev/anything"), "/dev/anything");
    EXPECT_EQ(resolve("ttyS0"), "<none>");
}

TEST_F(Port_links, ScanFindsLinkedCharacterDevicesOnly) {
    Tpty pty;
    ASSERT_TRUE(pty.ok());
    link_port("COM5", pty.slave_path);
    link_port("COM200", pty.slave_path);
    link_port("COM7", "/dev/no-such-tty");  // a stale link hides the fixed-scheme device too
    link_port("COM9", "/etc/hostname");     // not a character device
    link_port("COM300", pty.slave_path);    // beyond the table
    unsigned char table[SERIAL_PORT_TABLE_SIZE];
    memset(table, 0xAA, sizeof table);
    Tserial_enum().scan(table);
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[5], 1);
    EXPECT_EQ(table[200], 1);
    EXPECT_EQ(table[7], 0);
    EXPECT_EQ(table[9], 0);
    for (int port = 97; port < SERIAL_PORT_TABLE_SIZE; ++port)
        if (port != 200) {
            EXPECT_EQ(table[port], 0) << port;
        }
}
