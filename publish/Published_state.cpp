#include "publish/Published_state.h"

#include <charconv>
#include <filesystem>

#include "events/Lib_cpp_os.h"
#include "events/Whole_file.h"

namespace {

const char WORD[] = "acknowledged ";

bool parse_state(const std::string& text, Tpublished_state* state)
{
    if (text.rfind(WORD, 0) != 0 || text.empty() || text.back() != '\n') return false;
    const char* begin = text.data() + sizeof WORD - 1;
    const char* end = text.data() + text.size() - 1;
    const auto [stop, failure] = std::from_chars(begin, end, state->seq);
    if (failure != std::errc() || stop == end || *stop != ' ') return false;
    state->timestamp.assign(stop + 1, end);
    return !state->timestamp.empty() && state->timestamp.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string published_state_path(const std::string& table) { return table + ".published"; }

bool read_published_state(const std::string& table, Tpublished_state* state, std::string* error)
{
    *state = Tpublished_state();
    const std::string path = published_state_path(table);
    std::error_code missing;
    if (!std::filesystem::exists(path, missing)) return true;
    std::string text;
    if (!read_whole_file(path.c_str(), &text)) {
        *error = "cannot be read";
        return false;
    }
    if (parse_state(text, state)) return true;
    *state = Tpublished_state();
    *error = "not a line \"acknowledged <seq> <timestamp>\"";
    return false;
}

bool write_published_state(const std::string& table, const Tpublished_state& state, std::string* error)
{
    const std::string text = WORD + std::to_string(state.seq) + " " + state.timestamp + "\n";
    return write_file_replacing(published_state_path(table).c_str(), text.data(), text.size(), error);
}
