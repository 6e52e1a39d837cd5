#include "publish/Publisher.h"

// Builds without the MQTT client library.

std::string publishing_unavailable() { return "publishing to MQTT is not available in this build"; }

std::unique_ptr<Tpublisher> start_publisher(const Tpublish_target&, std::function<void()>, std::string* error)
{
    *error = publishing_unavailable();
    return nullptr;
}
