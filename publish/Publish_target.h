#pragma once
#include <string>

// What the command line says about publishing: --publish URL, --station
// NAME, --ca FILE. An empty url publishes nothing.
struct Tpublish_options {
    std::string url;
    std::string station;
    std::string ca;
};

// The broker and the topics the rows go to, read from those options.
struct Tpublish_target {
    bool tls = false;
    std::string user;      // empty: no login
    std::string password;  // the URL's, else LUMO2_MQTT_PASSWORD's
    std::string host;
    int port = 0;
    std::string prefix;    // topics are PREFIX/STATION/row and PREFIX/STATION/status
    std::string station;
    std::string ca;        // empty: the system's certificates (TLS only)

    std::string row_topic() const { return prefix + "/" + station + "/row"; }
    std::string status_topic() const { return prefix + "/" + station + "/status"; }
    // HOST:PORT, for messages.
    std::string broker() const;
};

// The URL is mqtt://[USER[:PASSWORD]@]HOST[:PORT]/PREFIX or mqtts://...;
// user and password may be percent-encoded. The station defaults to the
// host name. False, with one sentence in *error, for a URL that does not
// parse, an unknown scheme, a station or prefix that cannot stand in a
// topic, or a CA file that cannot be read.
bool read_publish_target(const Tpublish_options& options, Tpublish_target* target, std::string* error);
