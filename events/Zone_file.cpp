#include <algorithm>
#include <cstdint>
#include <string>

#include "events/Lib_time_os.h"
#include "events/Time_zone.h"
#include "events/Whole_file.h"

// The compiled zone files of the time-zone database ("TZif"): a header of
// counts, the transitions in 32-bit times, then (version 2 on) the same in
// 64-bit times and the rule for the years after them.

namespace {

// Big-endian integers of a zone file.
int64_t big_endian(std::string_view bytes, size_t at, size_t size)
{
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    if (size == 4)
        return int32_t(uint32_t(value));
    return int64_t(value);
}

// The counts of a zone file's header, in its order.
struct Tzone_header {
    enum { UT_FLAGS, STD_FLAGS, LEAPS, TIMES, TYPES, CHARS, COUNTS };
    int64_t count[COUNTS];

    size_t data_size(size_t time_size) const
    {
        return size_t(count[TIMES]) * (time_size + 1) + size_t(count[TYPES]) * 6 + size_t(count[CHARS]) +
               size_t(count[LEAPS]) * (time_size + 4) + size_t(count[STD_FLAGS]) + size_t(count[UT_FLAGS]);
    }
};

constexpr size_t HEADER_SIZE = 44;

bool read_header(std::string_view bytes, size_t at, Tzone_header* header)
{
    if (bytes.size() < at + HEADER_SIZE || bytes.substr(at, 4) != "TZif")
        return false;
    for (int i = 0; i < Tzone_header::COUNTS; ++i)
        header->count[i] = big_endian(bytes, at + 20 + 4 * size_t(i), 4);
    return std::all_of(std::begin(header->count), std::end(header->count), [](int64_t n) { return n >= 0; });
}

}  // namespace

bool Ttime_zone::set_zone_file(std::string_view bytes)
{
    Tzone_header header;
    if (!read_header(bytes, 0, &header))
        return false;
    size_t at = HEADER_SIZE;
    size_t time_size = 4;
    if (bytes[4] >= '2') {  // the 64-bit data follow the 32-bit data
        at += header.data_size(4);
        if (!read_header(bytes, at, &header))
            return false;
        at += HEADER_SIZE;
        time_size = 8;
    }
    const size_t times = size_t(header.count[Tzone_header::TIMES]);
    const size_t types = size_t(header.count[Tzone_header::TYPES]);
    if (types == 0 || bytes.size() < at + header.data_size(time_size))
        return false;
    const size_t type_at = at + times * (time_size + 1);
    const auto offset_of_type = [&](size_t type) { return int(big_endian(bytes, type_at + 6 * type, 4)); };
    transitions.clear();
    for (size_t i = 0; i < times; ++i) {
        const size_t type = static_cast<unsigned char>(bytes[at + times * time_size + i]);
        if (type >= types)
            return false;
        transitions.push_back({double(big_endian(bytes, at + i * time_size, time_size)), offset_of_type(type)});
    }
    first_offset = offset_of_type(0);
    has_rule = false;
    const size_t footer = at + header.data_size(time_size);
    if (time_size == 8 && footer < bytes.size() && bytes[footer] == '\n') {
        const size_t end = bytes.find('\n', footer + 1);
        if (end != std::string_view::npos && end > footer + 1 && !set_rule(bytes.substr(footer + 1, end - footer - 1)))
            return false;
    }
    return true;
}

bool time_zone_named(const std::string& name, Ttime_zone* zone, std::string* error)
{
    if (name == "UTC") {
        *zone = Ttime_zone();
        return true;
    }
    std::string path;
    if (!zone_file_path(name, &path, error))
        return false;
    std::string bytes;
    if (!read_whole_file(path.c_str(), &bytes)) {
        *error = "unknown time zone \"" + name + "\" (a name such as Europe/Paris, or UTC)";
        return false;
    }
    if (!zone->set_zone_file(bytes)) {
        *error = "time zone \"" + name + "\": " + path + " is not a zone file";
        return false;
    }
    return true;
}
