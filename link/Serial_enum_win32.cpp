#include <windows.h>
// After windows.h, which the setup and configuration-manager headers need.
#include <cfgmgr32.h>
#include <setupapi.h>

#include <cstring>
#include <new>
#include <string>

#include "events/My_string.h"

#include "link/Serial_enum.h"

namespace {

using Topen_devnode_key = CONFIGRET(WINAPI*)(DEVINST, REGSAM, ULONG, REGDISPOSITION, PHKEY, ULONG);

constexpr DWORD PORT_NAME_SIZE = 32;

// The device set of the first setup class named "Ports", present devices
// only; null when there is none.
HDEVINFO present_ports() {
    DWORD count = 0;
    SetupDiClassGuidsFromNameA("Ports", nullptr, 0, &count);
    if (count == 0)
        return nullptr;
    GUID* classes = new (std::nothrow) GUID[count];
    if (!classes)
        return nullptr;
    HDEVINFO set = nullptr;
    if (SetupDiClassGuidsFromNameA("Ports", classes, count, &count))
        set = SetupDiGetClassDevsA(&classes[0], nullptr, nullptr, DIGCF_PRESENT);
    delete[] classes;
    return set == INVALID_HANDLE_VALUE ? nullptr : set;
}

// The registry's serial map, where every serial port driver enters its
// ports, virtual ones too that are no device of the class "Ports".
void mark_serial_map(unsigned char table[SERIAL_PORT_TABLE_SIZE]) {
    HKEY map = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE, &map) != ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; ++index) {
        char value_name[256];
        DWORD name_size = sizeof value_name;
        char port_name[PORT_NAME_SIZE + 1] = {};
        DWORD size = PORT_NAME_SIZE;
        DWORD type = 0;
        const LONG read = RegEnumValueA(map, index, value_name, &name_size, nullptr, &type,
                                        reinterpret_cast<BYTE*>(port_name), &size);
        if (read == ERROR_NO_MORE_ITEMS)
            break;
        if (read != ERROR_SUCCESS || type != REG_SZ)
            continue;
        if (const int port = serial_port_of_name(port_name))
            table[port] = 1;
    }
    RegCloseKey(map);
}

// "USB Serial Port (COM3)" without its " (COM3)".
std::string without_port_suffix(std::string name) {
    const size_t open = name.rfind(" (COM");
    if (open != std::string::npos && name.back() == ')')
        name.erase(open);
    return name;
}

// The friendly name of the present "Ports" device whose "portname" names the
// port; empty when none does.
std::string friendly_name(HDEVINFO set, int port) {
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        if (!SetupDiEnumDeviceInfo(set, index, &device))
            return std::string();
        HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_QUERY_VALUE);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        char name[PORT_NAME_SIZE + 1] = {};
        DWORD size = PORT_NAME_SIZE;
        const LONG read = RegQueryValueExA(key, "portname", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
        RegCloseKey(key);
        if (read != ERROR_SUCCESS || serial_port_of_name(name) != port)
            continue;
        char friendly[256] = {};
        if (!SetupDiGetDeviceRegistryPropertyA(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                               reinterpret_cast<BYTE*>(friendly), sizeof friendly - 1, nullptr))
            return std::string();
        return without_port_suffix(friendly);
    }
}

}  // namespace

void serial_port_description(int port, Tmy_string* out) {
    out->clear();
    HDEVINFO set = present_ports();
    if (!set)
        return;
    out->assign(friendly_name(set, port).c_str());
    SetupDiDestroyDeviceInfoList(set);
}

struct Tserial_enum::Tplatform {
    HDEVINFO device_set = nullptr;
    Topen_devnode_key open_devnode_key = nullptr;
    HMODULE config_library = nullptr;
};

Tserial_enum::Tserial_enum() : platform(new (std::nothrow) Tplatform) {
    if (!platform)
        return;
    platform->device_set = present_ports();
    platform->config_library = LoadLibraryA("cfgmgr32");
    if (platform->config_library)
        platform->open_devnode_key = reinterpret_cast<Topen_devnode_key>(
            reinterpret_cast<void (*)()>(GetProcAddress(platform->config_library, "CM_Open_DevNode_Key")));
}

Tserial_enum::~Tserial_enum() {
    if (!platform)
        return;
    if (platform->config_library)
        FreeLibrary(platform->config_library);
    if (platform->device_set)
        SetupDiDestroyDeviceInfoList(platform->device_set);
    delete platform;
}

// The first device whose key or "portname" cannot be read ends the scan.
void Tserial_enum::scan(unsigned char table[SERIAL_PORT_TABLE_SIZE]) {
    memset(table, 0, SERIAL_PORT_TABLE_SIZE);
    mark_serial_map(table);
    if (!platform || !platform->device_set || !platform->open_devnode_key)
        return;
    for (DWORD index = 0;; ++index) {
        SP_DEVINFO_DATA device = {};
        device.cbSize = sizeof device;
        if (!SetupDiEnumDeviceInfo(platform->device_set, index, &device))
            return;
        HKEY key = nullptr;
        if (platform->open_devnode_key(device.DevInst, KEY_QUERY_VALUE, 0, RegDisposition_OpenExisting, &key,
                                       CM_REGISTRY_HARDWARE) != CR_SUCCESS)
            return;
        // One byte more than the value may fill: a value stored without its
        // terminator still ends inside the buffer.
        char name[PORT_NAME_SIZE + 1] = {};
        DWORD size = PORT_NAME_SIZE;
        const LONG read = RegQueryValueExA(key, "portname", nullptr, nullptr, reinterpret_cast<BYTE*>(name), &size);
        RegCloseKey(key);
        if (read != ERROR_SUCCESS)
            return;
        if (const int port = serial_port_of_name(name))
            table[port] = 1;
    }
}
