#include "publish/Publisher.h"

// Builds without the MQTT client library.
std::unique_ptr<Tpublisher> start_publisher(const Tpublish_target&, std::function<void()>, std::string* error)
{
    *error = "publishing to MQTT is not available in this build";
    return nullptr;
}
