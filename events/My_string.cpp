#include "events/My_string.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <new>

#include "events/Lib_cpp.h"

namespace {

bool is_blank_or_zero(char c)
{
    return c == 0 || c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool is_word_char(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool is_url_safe(char c)
{
    return is_word_char(c) || char_in_set(c, "-.!*'()");
}

// Characters that may stand between '%' and the conversion character.
bool is_directive_char(char c)
{
    return (c >= '0' && c <= '9') || char_in_set(c, "-+ #'.*hlLqjzt");
}

// The widest numeric conversion kept; longer results are truncated.
constexpr unsigned NUMBER_OUTPUT_MAX = 512;
// The longest specification kept; a longer one ends the formatting.
constexpr unsigned DIRECTIVE_MAX = 32;

enum class Tlength { none, h, l, ll, L, j, z, t };

Tlength length_of(const char* directive)
{
    if (strstr(directive, "ll") || strchr(directive, 'q')) return Tlength::ll;
    if (strchr(directive, 'l')) return Tlength::l;
    if (strchr(directive, 'L')) return Tlength::L;
    if (strchr(directive, 'j')) return Tlength::j;
    if (strchr(directive, 'z')) return Tlength::z;
    if (strchr(directive, 't')) return Tlength::t;
    if (strchr(directive, 'h')) return Tlength::h;
    return Tlength::none;
}

// Formats one integer argument of the collected specification.
int format_integer(char* out, const char* directive, bool is_signed, va_list* args)
{
    switch (length_of(directive)) {
    case Tlength::l:
        return is_signed ? snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, long))
                         : snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, unsigned long));
    case Tlength::ll:
        return is_signed ? snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, long long))
                         : snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, unsigned long long));
    case Tlength::j:
        return snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, intmax_t));
    case Tlength::z:
        return snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, size_t));
    case Tlength::t:
        return snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, ptrdiff_t));
    default:
        return is_signed ? snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, int))
                         : snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, unsigned));
    }
}

int format_real(char* out, const char* directive, va_list* args)
{
    if (length_of(directive) == Tlength::L) return snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, long double));
    return snprintf(out, NUMBER_OUTPUT_MAX, directive, va_arg(*args, double));
}

std::atomic<Tlog_sink> log_sink{nullptr};

} // namespace

Tmy_string::~Tmy_string()
{
    clear();
}

void Tmy_string::clear()
{
    delete[] buffer;
    buffer = nullptr;
    capacity = 0;
    size = 0;
}

const char* Tmy_string::c_str() const
{
    return buffer ? buffer : "";
}

char Tmy_string::at(unsigned position) const
{
    return position < size ? buffer[position] : 0;
}

// Every append ends here. The old block is released only after the bytes
// are copied, so appending a string to itself is safe.
void Tmy_string::append_bytes(const char* bytes, unsigned count)
{
    if (!bytes || count == 0) return;
    unsigned new_size = size + count;
    if (new_size < size || new_size + 1 == 0) return;
    if (new_size + 1 >= capacity) {
        // Growing by half keeps a string built byte by byte (a received line,
        // a long file line) linear in time; small strings grow by 128.
        unsigned step = capacity / 2 > 128 ? capacity / 2 : 128;
        unsigned new_capacity = capacity + step;
        if (new_capacity < capacity || new_size + 1 > new_capacity) new_capacity = new_size + 1;
        char* grown = new (std::nothrow) char[new_capacity];
        if (!grown) return;
        if (size) memcpy(grown, buffer, size);
        memcpy(grown + size, bytes, count);
        delete[] buffer;
        buffer = grown;
        capacity = new_capacity;
    } else {
        memmove(buffer + size, bytes, count);
    }
    size = new_size;
    buffer[size] = 0;
}

void Tmy_string::append(const char* bytes, unsigned count)
{
    if (!bytes) return;
    append_bytes(bytes, count ? count : unsigned(strlen(bytes)));
}

void Tmy_string::append(const Tmy_string* other)
{
    if (other) append_bytes(other->buffer, other->size);
}

void Tmy_string::assign(const char* text)
{
    if (!text) return;
    Tmy_string copy;
    copy.append(text);
    take(&copy);
}

void Tmy_string::assign(const Tmy_string* other)
{
    if (other == this) return;
    clear();
    append(other);
}

// Moves the other string's buffer into this one.
void Tmy_string::take(Tmy_string* other)
{
    clear();
    buffer = other->buffer;
    capacity = other->capacity;
    size = other->size;
    other->buffer = nullptr;
    other->capacity = 0;
    other->size = 0;
}

void Tmy_string::format(const char* fmt, ...)
{
    if (!fmt) return;
    size = 0;
    if (buffer) buffer[0] = 0;
    va_list args;
    va_start(args, fmt);
    vappendFormat(fmt, args);
    va_end(args);
}

void Tmy_string::appendFormat(const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    vappendFormat(fmt, args);
    va_end(args);
}

void Tmy_string::vappendFormat(const char* fmt, va_list args)
{
    if (!fmt) return;
    va_list work;
    va_copy(work, args);
    const char* p = fmt;
    while (*p) {
        if (*p != '%') {
            const char* run = p;
            while (*p && *p != '%') p++;
            append_bytes(run, unsigned(p - run));
            continue;
        }
        p = append_conversion(p, &work);
        if (!p) break;
    }
    va_end(work);
}

// Appends the conversion starting at the '%' at p; returns what follows it,
// or null when the format ends inside the specification or it is too long.
const char* Tmy_string::append_conversion(const char* p, va_list* args)
{
    char directive[DIRECTIVE_MAX + 2];
    unsigned directive_length = 0;
    directive[directive_length++] = *p++;
    while (is_directive_char(*p)) {
        if (*p == '*') {
            char number[16];
            int written = snprintf(number, sizeof number, "%d", va_arg(*args, int));
            if (directive_length + unsigned(written) >= DIRECTIVE_MAX) return nullptr;
            memcpy(directive + directive_length, number, unsigned(written));
            directive_length += unsigned(written);
        } else {
            if (directive_length >= DIRECTIVE_MAX) return nullptr;
            directive[directive_length++] = *p;
        }
        p++;
    }
    char conversion = *p;
    if (!conversion) return nullptr;
    directive[directive_length++] = conversion;
    directive[directive_length] = 0;
    append_converted(conversion, directive, args);
    return p + 1;
}

void Tmy_string::append_converted(char conversion, const char* directive, va_list* args)
{
    char number[NUMBER_OUTPUT_MAX];
    int written = -1;
    switch (conversion) {
    case 'd': case 'i':
        written = format_integer(number, directive, true, args);
        break;
    case 'u': case 'x': case 'X': case 'o':
        written = format_integer(number, directive, false, args);
        break;
    case 'e': case 'E': case 'f': case 'F': case 'g': case 'G':
        written = format_real(number, directive, args);
        break;
    case 'p':
        written = snprintf(number, sizeof number, "%p", va_arg(*args, void*));
        break;
    case 'n':
        (void)va_arg(*args, void*);
        break;
    case 'c': {
        char c = char(va_arg(*args, int));
        if (c) append_bytes(&c, 1);
        break;
    }
    case 's':
        append(va_arg(*args, const char*));
        break;
    case 'a':
        append_backslashed(va_arg(*args, const char*));
        break;
    case 'm':
        appendXmlEscaped(va_arg(*args, const char*), false);
        break;
    case 'r':
        append_url(va_arg(*args, const char*));
        break;
    case '%':
        append_bytes("%", 1);
        break;
    default:
        // Not a conversion this string knows: shown as written, no argument used.
        append(directive);
        break;
    }
    if (written > 0) append_bytes(number, unsigned(written) < sizeof number ? unsigned(written) : sizeof number - 1);
}

// A text inside this string's own buffer moves when the string grows and is
// overwritten by what is appended behind it: such a text is copied out first.
const char* Tmy_string::apart(const char* text, unsigned count, Tmy_string* copy) const
{
    const std::less<const char*> before;
    if (!buffer || before(text, buffer) || !before(text, buffer + capacity)) return text;
    copy->append_bytes(text, count);
    return copy->c_str();
}

void Tmy_string::append_backslashed(const char* text)
{
    if (!text) return;
    Tmy_string copy;
    text = apart(text, unsigned(strlen(text)), &copy);
    for (; *text; text++) {
        if (*text == '\'' || *text == '"' || *text == '\\') append_bytes("\\", 1);
        append_bytes(text, 1);
    }
}

void Tmy_string::appendXmlEscaped(const char* text, bool keep_from_128)
{
    if (!text) return;
    Tmy_string copy;
    text = apart(text, unsigned(strlen(text)), &copy);
    char escaped[8];
    for (; *text; text++) {
        if (keep_from_128 && (unsigned char)*text >= 128) {
            append_bytes(text, 1);
            continue;
        }
        xml_escape_char(escaped, *text);
        append(escaped);
    }
}

void Tmy_string::append_url(const char* text)
{
    if (!text) return;
    Tmy_string copy;
    text = apart(text, unsigned(strlen(text)), &copy);
    for (; *text; text++) {
        if (is_url_safe(*text)) {
            append_bytes(text, 1);
        } else {
            char escaped[3] = {'%', hex_digit((unsigned char)*text >> 4), hex_digit((unsigned char)*text)};
            append_bytes(escaped, 3);
        }
    }
}

void Tmy_string::appendEscaped(const char* text, unsigned count, int mode)
{
    if (!text) return;
    if (count == 0) count = unsigned(strlen(text));
    Tmy_string copy;
    text = apart(text, count, &copy);
    for (unsigned i = 0; i < count; i++) {
        char c = text[i];
        if (is_word_char(c)) {
            append_bytes(&c, 1);
        } else if (mode == 1) {
            char escaped[3] = {'\\', hex_digit((unsigned char)c >> 4), hex_digit((unsigned char)c)};
            append_bytes(escaped, 3);
        }
    }
}

void Tmy_string::appendUnescaped(const char* text, unsigned count)
{
    if (!text) return;
    if (count == 0) count = unsigned(strlen(text));
    Tmy_string copy;
    text = apart(text, count, &copy);
    for (unsigned i = 0; i < count; i++) {
        if (text[i] != '\\') {
            append_bytes(text + i, 1);
            continue;
        }
        if (count - i < 3) return;
        bool error = false;
        char byte = char(hex_value(text[i + 1], &error) << 4 | hex_value(text[i + 2], &error));
        append_bytes(&byte, 1);
        i += 2;
    }
}

void Tmy_string::trim()
{
    if (!buffer) return;
    unsigned first = 0;
    while (first < size && is_blank_or_zero(buffer[first])) first++;
    unsigned end = size;
    while (end > first && is_blank_or_zero(buffer[end - 1])) end--;
    size = end - first;
    memmove(buffer, buffer + first, size);
    buffer[size] = 0;
}

int Tmy_string::toInt() const
{
    int value = 0;
    parse_unsigned(c_str(), &value, 0);
    return value;
}

void set_log_sink(Tlog_sink sink)
{
    log_sink.store(sink);
}

void log_printf(const char* fmt, ...)
{
    Tlog_sink sink = log_sink.load();
    if (!sink || !fmt) return;
    Tmy_string line;
    va_list args;
    va_start(args, fmt);
    line.vappendFormat(fmt, args);
    va_end(args);
    sink(line.c_str());
}
