// The three lenient number parsers on arbitrary text; the first byte picks
// the character limit.
#include <cstdint>
#include <string>

#include "events/Lib_cpp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const int max_chars = data[0] % 24;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    int integer = 0;
    double real = 0;
    parse_int(text.c_str(), &integer, max_chars);
    parse_int(text.c_str(), &integer);
    parse_unsigned(text.c_str(), &integer, max_chars);
    parse_unsigned(text.c_str(), &integer);
    parse_real(text.c_str(), &real);
    return 0;
}
