// The settings file reader on arbitrary bytes.
#include "app/Settings.h"
#include "fuzz/Fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Tsettings settings;
    settings.path.assign(fuzz_file(data, size));
    settings.read();
    settings.getInt("last_connect_device_id", 0);
    settings.getInt("autonnect", 0);
    settings.getValue("ttimezone", "");
    settings.setInt("autonnect", 1);
    return 0;
}
