#include "app/Settings.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "events/Lib_cpp.h"
#include "events/Lib_cpp_os.h"

namespace {

constexpr int PATH_SIZE = 512;
constexpr char LINE_END = '\r';

// One "key value" line: every space ends the key and is dropped; the raw value
// is decoded when its last character closes the line.
void parse_line(const Tmy_string* line, Ttyped_list<Tsettings_entry>* entries)
{
    Tmy_string key;
    Tmy_string raw;
    Tmy_string value;
    bool in_key = true;
    const unsigned length = line->length();
    for (unsigned i = 0; i < length; i++) {
        const char c = line->at(i);
        if (c == ' ') {
            in_key = false;
            continue;
        }
        if (in_key) {
            key.append(&c, 1);
            continue;
        }
        raw.append(&c, 1);
        if (i == length - 1) value.appendUnescaped(raw.c_str(), raw.length());
    }
    if (key.length() == 0) return;
    auto* entry = new Tsettings_entry;
    entry->key.assign(&key);
    entry->value.assign(&value);
    entries->append(entry);
}

}  // namespace

Tsettings::Tsettings() { current_directory(&directory); }

Tsettings::~Tsettings() { clear(); }

void Tsettings::load(const char* file_name)
{
    char joined[PATH_SIZE];
    if (path_join(joined, PATH_SIZE, directory.c_str(), file_name) == 0) {
        // Too long to name: keep no path, so nothing is read and save fails
        // rather than writing some truncated name.
        path.clear();
        clear();
        return;
    }
    path.assign(joined);
    read();
}

void Tsettings::read()
{
    clear();
    if (path.length() == 0) return;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return;
    Tmy_string line;
    char chunk[4096];
    size_t got;
    // A file edited elsewhere may end its lines in LF or CR LF: each ends a
    // line as CR does, the LF after a CR none of its own.
    bool after_line_end = false;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        for (size_t i = 0; i < got; i++) {
            const bool second_half = after_line_end && chunk[i] == '\n';
            after_line_end = chunk[i] == LINE_END;
            if (second_half) continue;
            if (chunk[i] != LINE_END && chunk[i] != '\n') {
                line.append(&chunk[i], 1);
                continue;
            }
            if (line_count > 0) parse_line(&line, &entries);
            line.clear();
            line_count++;
        }
    }
    std::fclose(file);
}

// Replaces the file whole, so an interrupted or failed write leaves the
// previous settings intact.
int Tsettings::save()
{
    if (path.length() == 0) return 0;
    Tmy_string text;
    text.assign("TYPE=2\r");
    for (int i = 0; i < entries.count(); i++) {
        const Tsettings_entry* entry = entries.at(i);
        text.appendEscaped(entry->key.c_str(), entry->key.length(), 0);
        text.append(" ");
        text.appendEscaped(entry->value.c_str(), entry->value.length(), 1);
        text.append("\r");
    }
    std::string reason;
    if (write_file_replacing(path.c_str(), text.c_str(), text.length(), &reason)) return 1;
    log_printf("ERROR : unable to write \"%s\": %s", path.c_str(), reason.c_str());
    return 0;
}

const char* Tsettings::getValue(const char* key, const char* default_text, bool* found)
{
    for (int i = 0; i < entries.count(); i++) {
        Tsettings_entry* entry = entries.at(i);
        if (equal_ignore_case(entry->key.c_str(), key) == 0) {
            if (found) *found = true;
            return entry->value.c_str();
        }
    }
    if (found) *found = false;
    return default_text ? default_text : "";
}

int Tsettings::getInt(const char* key, int default_value)
{
    bool found = false;
    const char* text = getValue(key, nullptr, &found);
    if (!found) return default_value;
    int value = 0;
    parse_int(text, &value);
    return value;
}

void Tsettings::setValue(const char* key, const char* value)
{
    if (!key) return;
    Tmy_string lower;
    for (const char* p = key; *p; p++) {
        const char c = (*p >= 'A' && *p <= 'Z') ? char(*p - 'A' + 'a') : *p;
        lower.append(&c, 1);
    }
    for (int i = 0; i < entries.count(); i++) {
        Tsettings_entry* entry = entries.at(i);
        if (equal_ignore_case(entry->key.c_str(), lower.c_str()) == 0) {
            entry->value.assign(value ? value : "");
            return;
        }
    }
    auto* entry = new Tsettings_entry;
    entry->key.assign(&lower);
    entry->value.assign(value ? value : "");
    entries.append(entry);
}

void Tsettings::setInt(const char* key, int value)
{
    Tmy_string text;
    text.format("%d", value);
    setValue(key, text.c_str());
}

void Tsettings::clear()
{
    entries.clear(true);
    line_count = 0;
}
