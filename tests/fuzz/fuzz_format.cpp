// Tmy_string formatting: the fuzzer picks literal text, flags, width,
// precision, length and conversion of each specification and the text
// arguments; every specification is handed an argument of its type, as the
// program's own calls do. The escaping conversions and their inverse get
// the same texts.
#include <cstdint>
#include <string>

#include "events/My_string.h"

namespace {

class Tbytes {
public:
    Tbytes(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool empty() const { return at >= size; }
    uint8_t next() { return at < size ? data[at++] : 0; }
    // Up to `most` bytes, without zero bytes (the text ends at the first).
    std::string text(size_t most) {
        std::string out;
        size_t length = next() % (most + 1);
        while (length-- > 0 && !empty()) {
            const char c = char(next());
            if (c != 0) out += c;
        }
        return out;
    }

private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

std::string literal(Tbytes& bytes) {
    std::string out;
    for (char c : bytes.text(8))
        if (c != '%') out += c;
    return out;
}

std::string directive(Tbytes& bytes, const char* lengths, bool* star) {
    std::string s = "%";
    const uint8_t flags = bytes.next();
    for (int i = 0; i < 5; ++i)
        if (flags & (1 << i)) s += "-+ #0"[i];
    *star = flags & 0x20;
    if (*star)
        s += '*';
    else if (flags & 0x40)
        s += std::to_string(bytes.next() % 40);
    if (flags & 0x80)
        s += "." + std::to_string(bytes.next() % 40);
    const std::string length_choices = lengths;
    if (!length_choices.empty()) {
        const size_t pick = bytes.next() % (length_choices.size() + 1);
        if (pick < length_choices.size()) s += length_choices[pick] == 'q' ? std::string("ll") : std::string(1, length_choices[pick]);
    }
    return s;
}

template <class T>
void one(Tmy_string* out, const std::string& format, bool star, int width, T value) {
    if (star)
        out->appendFormat(format.c_str(), width, value);
    else
        out->appendFormat(format.c_str(), value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Tbytes bytes(data, size);
    Tmy_string out;
    int conversions = 0;
    while (!bytes.empty() && ++conversions < 64) {
        const std::string before = literal(bytes);
        const uint8_t kind = bytes.next() % 12;
        bool star = false;
        const int width = int(int8_t(bytes.next()));
        const std::string text = bytes.text(64);
        const int64_t number = int64_t(bytes.next()) << 40 | int64_t(bytes.next()) << 8 | bytes.next();
        switch (kind) {
        case 0: one(&out, before + directive(bytes, "hlq", &star) + "d", star, width, int(number)); break;
        case 1: one(&out, before + directive(bytes, "", &star) + "ld", star, width, long(number)); break;
        case 2: one(&out, before + directive(bytes, "", &star) + "u", star, width, unsigned(number)); break;
        case 3: one(&out, before + directive(bytes, "", &star) + "lx", star, width, (unsigned long)(number)); break;
        case 4: one(&out, before + directive(bytes, "", &star) + "f", star, width, double(number) / 7.0); break;
        case 5: one(&out, before + directive(bytes, "", &star) + "g", star, width, -double(number) * 1e290); break;
        case 6: one(&out, before + directive(bytes, "", &star) + "e", star, width, double(width) / 3.0); break;
        case 7: one(&out, before + directive(bytes, "", &star) + "c", star, width, int(number & 0xFF)); break;
        case 8: one(&out, before + directive(bytes, "", &star) + "s", star, width, text.c_str()); break;
        case 9: out.appendFormat((before + "%a").c_str(), text.c_str()); break;
        case 10: out.appendFormat((before + "%m").c_str(), text.c_str()); break;
        case 11: out.appendFormat((before + "%r%%").c_str(), text.c_str()); break;
        }
        out.appendEscaped(text.c_str(), unsigned(text.size()), int(number & 1));
        Tmy_string back;
        back.appendUnescaped(out.c_str(), out.length());
        back.trim();
        back.toInt();
    }
    return 0;
}
