#include "publish/Publish_target.h"

#include <charconv>
#include <cstdlib>
#include <fstream>

#include "events/Lib_cpp_os.h"

namespace {

constexpr int MQTT_PORT = 1883;
constexpr int MQTTS_PORT = 8883;
constexpr int HIGHEST_PORT = 65535;
const char PASSWORD_VARIABLE[] = "LUMO2_MQTT_PASSWORD";
const char URL_FORM[] = "mqtt://[USER[:PASSWORD]@]HOST[:PORT]/PREFIX or mqtts://...";

int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// %XX escapes, so that a password may hold ':', '@' or '/'.
bool percent_decode(const std::string& text, std::string* out)
{
    out->clear();
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '%') {
            out->push_back(text[at]);
            continue;
        }
        const int high = at + 2 < text.size() ? hex_digit(text[at + 1]) : -1;
        const int low = high >= 0 ? hex_digit(text[at + 2]) : -1;
        if (low < 0) return false;
        out->push_back(char(high * 16 + low));
        at += 2;
    }
    return true;
}

// A topic level: not empty, no level separator and no wildcard.
bool fits_topic_level(const std::string& text)
{
    return !text.empty() && text.find_first_of("/+#") == std::string::npos;
}

bool fits_topic_prefix(const std::string& text)
{
    return !text.empty() && text.front() != '/' && text.back() != '/' && text.find_first_of("+#") == std::string::npos;
}

bool read_port(const std::string& text, int* port)
{
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, *port);
    return !text.empty() && failure == std::errc() && stop == end && *port >= 1 && *port <= HIGHEST_PORT;
}

// HOST[:PORT], the host possibly a bracketed IPv6 address.
bool read_host_port(const std::string& text, Tpublish_target* target)
{
    size_t host_end = text.rfind(':');
    std::string host = text;
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos) return false;
        host = text.substr(1, close - 1);
        host_end = close + 1 < text.size() ? close + 1 : std::string::npos;
        if (host_end != std::string::npos && text[host_end] != ':') return false;
    } else if (host_end != std::string::npos) {
        host = text.substr(0, host_end);
    }
    if (host_end != std::string::npos && !read_port(text.substr(host_end + 1), &target->port)) return false;
    target->host = host;
    return !host.empty() && host.find_first_of("[]@") == std::string::npos;
}

bool read_login(const std::string& text, Tpublish_target* target)
{
    const size_t colon = text.find(':');
    if (!percent_decode(text.substr(0, colon), &target->user) || target->user.empty()) return false;
    return colon == std::string::npos || percent_decode(text.substr(colon + 1), &target->password);
}

bool read_url(const std::string& url, Tpublish_target* target, std::string* error)
{
    const size_t scheme_end = url.find("://");
    const std::string scheme = scheme_end == std::string::npos ? std::string() : url.substr(0, scheme_end);
    if (scheme_end != std::string::npos && scheme != "mqtt" && scheme != "mqtts") {
        *error = "--publish: unknown scheme \"" + scheme + "\", expects mqtt:// or mqtts://";
        return false;
    }
    target->tls = scheme == "mqtts";
    target->port = target->tls ? MQTTS_PORT : MQTT_PORT;
    const size_t authority_begin = scheme_end == std::string::npos ? 0 : scheme_end + 3;
    const size_t slash = url.find('/', authority_begin);
    const std::string authority = url.substr(authority_begin, slash - authority_begin);
    const size_t at = authority.rfind('@');
    const bool read = scheme_end != std::string::npos && slash != std::string::npos &&
                      (at == std::string::npos || read_login(authority.substr(0, at), target)) &&
                      read_host_port(at == std::string::npos ? authority : authority.substr(at + 1), target);
    target->prefix = slash == std::string::npos ? std::string() : url.substr(slash + 1);
    if (!read) {
        *error = "--publish: \"" + url + "\" is not " + URL_FORM;
        return false;
    }
    if (!fits_topic_prefix(target->prefix)) {
        *error = "--publish: the topic prefix \"" + target->prefix +
                 "\" must not be empty, begin or end with \"/\" or hold \"+\" or \"#\"";
        return false;
    }
    return true;
}

bool ca_readable(const std::string& path, std::string* error)
{
    std::ifstream file(path, std::ios::binary);
    char first = 0;
    if (file && file.get(first)) return true;
    *error = "--ca: \"" + path + "\" cannot be read";
    return false;
}

}  // namespace

std::string Tpublish_target::broker() const
{
    const bool bracketed = host.find(':') != std::string::npos;
    return (bracketed ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

bool read_publish_target(const Tpublish_options& options, Tpublish_target* target, std::string* error)
{
    *target = Tpublish_target();
    if (!read_url(options.url, target, error)) return false;
    const char* password = std::getenv(PASSWORD_VARIABLE);
    if (target->password.empty() && password) target->password = password;
    target->station = options.station.empty() ? host_name() : options.station;
    if (!fits_topic_level(target->station)) {
        *error = "--station: \"" + target->station + "\" must not be empty or hold \"/\", \"+\" or \"#\"";
        return false;
    }
    if (!options.ca.empty() && !ca_readable(options.ca, error)) return false;
    if (!options.ca.empty() && !target->tls) {
        *error = "--ca is for mqtts:// only";
        return false;
    }
    target->ca = options.ca;
    return true;
}
