#include "sim/Cell_text.h"

#include "view/Codes.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

namespace {

// Short or variant spellings besides the code table's names.
struct Talias {
    const char* name;
    int code;
};
constexpr std::array<Talias, 3> aliases = {{
    {"sulforhodamine", tracer::sulforhodamine_b},
    {"aminog", tracer::amino_g_acid},
    {"naphthionate", tracer::naphtionate},
}};

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

std::string lower(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '_' && c != '-') out += char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool is_turbidity_key(std::string_view key) { return key == "turbidity" || key == "ntu"; }

}  // namespace

Tkey_values split_key_values(std::string_view text) {
    Tkey_values items;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
        if (trim(item).empty()) continue;
        const auto equal = item.find('=');
        const std::string_view key = item.substr(0, equal);
        const std::string_view value =
            equal == std::string_view::npos ? std::string_view{} : item.substr(equal + 1);
        items.emplace_back(lower(trim(key)), std::string(trim(value)));
    }
    return items;
}

bool parse_number(std::string_view text, double& value) {
    text = trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return !text.empty() && result.ec == std::errc{} && result.ptr == end && std::isfinite(value);
}

int tracer_code_of(std::string_view name) {
    double number = 0.0;
    if (parse_number(name, number))
        return number >= 1.0 && number < double(tracer::code_count) && number == int(number) ? int(number) : 0;
    const std::string key = lower(trim(name));
    for (const Talias& alias : aliases)
        if (key == alias.name) return alias.code;
    return tracer_code(key.c_str());
}

bool parse_cell(std::string_view text, Tcell& cell, std::string& error) {
    Tcell parsed;
    for (const auto& [key, value] : split_key_values(text)) {
        const int code = is_turbidity_key(key) ? 0 : tracer_code_of(key);
        if (code == tracer::water) continue;
        if (code == 0 && !is_turbidity_key(key)) {
            error = "unknown cell content \"" + key + "\"";
            return false;
        }
        double amount = 0.0;
        if (!parse_number(value, amount) || amount < 0.0) {
            error = "\"" + key + "\" needs a concentration of 0 or more, as in " + key + "=10";
            return false;
        }
        if (code == 0)
            parsed.ntu = amount;
        else
            parsed.ppb[code] = amount;
    }
    cell = parsed;
    return true;
}

std::string describe_cell(const Tcell& cell) {
    std::string text;
    const auto append = [&text](const std::string& key, double amount) {
        char number[32];
        const auto result = std::to_chars(number, number + sizeof number, amount);
        text += (text.empty() ? "" : ",") + key + "=" + std::string(number, result.ptr);
    };
    for (int code = tracer::uranine; code < tracer::code_count; ++code)
        if (cell.ppb[code] > 0.0) append(lower(tracer_name(static_cast<unsigned char>(code))), cell.ppb[code]);
    if (cell.ntu > 0.0) append("turbidity", cell.ntu);
    return text.empty() ? "water" : text;
}
