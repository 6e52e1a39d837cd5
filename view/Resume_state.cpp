#include "view/Resume_state.h"

#include "events/Lib_cpp_os.h"
#include "events/My_string.h"
#include "events/Whole_file.h"

namespace {

const char* const FIRST_LINE = "lumo2 resume 1";
const char* const LAMP_LETTERS = "ABCT";
constexpr unsigned ALL_LAMPS = 0xF;
// A state file is a few lines; anything larger is not one.
constexpr size_t MOST_BYTES = 8192;

std::string lamp_letters(unsigned lamps)
{
    std::string letters;
    for (int lamp = 0; lamp < 4; ++lamp)
        if (lamps & (1u << lamp)) letters.push_back(LAMP_LETTERS[lamp]);
    return letters.empty() ? "-" : letters;
}

// "ABCT", any subset in that order, or "-" for none.
bool parse_lamps(const std::string& text, unsigned* lamps)
{
    *lamps = 0;
    if (text == "-") return true;
    size_t from = 0;
    for (char letter : text) {
        const std::string order(LAMP_LETTERS);
        const size_t at = order.find(letter, from);
        if (at == std::string::npos) return false;
        *lamps |= 1u << at;
        from = at + 1;
    }
    return !text.empty();
}

// The value of "key=value" at the line, which must carry that key.
bool value_of(const std::string& line, const char* key, std::string* value)
{
    const std::string prefix = std::string(key) + "=";
    if (line.compare(0, prefix.size(), prefix) != 0) return false;
    *value = line.substr(prefix.size());
    return true;
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

}  // namespace

std::string resume_path(const std::string& journal) { return journal + ".resume"; }

std::string resume_text(const Tresume_state& state)
{
    return std::string(FIRST_LINE) + "\nmeasuring=" + (state.measuring ? "1" : "0") +
           "\nlamps=" + lamp_letters(state.lamps) + "\nconstants=" + state.constants + "\n";
}

bool parse_resume_text(const std::string& text, Tresume_state* state, std::string* error)
{
    const std::vector<std::string> lines = lines_of(text);
    std::string measuring;
    std::string lamps;
    Tresume_state read;
    if (text.size() > MOST_BYTES || lines.size() != 4 || lines[0] != FIRST_LINE || text.back() != '\n') {
        *error = "not a state file of this program";
        return false;
    }
    if (!value_of(lines[1], "measuring", &measuring) || (measuring != "0" && measuring != "1")) {
        *error = "line 2 is not \"measuring=0\" or \"measuring=1\"";
        return false;
    }
    if (!value_of(lines[2], "lamps", &lamps) || !parse_lamps(lamps, &read.lamps)) {
        *error = "line 3 is not the lamps measured";
        return false;
    }
    if (!value_of(lines[3], "constants", &read.constants)) {
        *error = "line 4 is not the constants file";
        return false;
    }
    read.measuring = measuring == "1";
    *state = read;
    return true;
}

bool find_resume_plan(const std::vector<std::string>& left_open, Tresume_plan* plan, std::string* error)
{
    error->clear();
    if (left_open.empty()) return false;
    const std::string journal = left_open.back();
    const std::string path = resume_path(journal);
    std::string text;
    if (!read_whole_file(path.c_str(), &text)) {
        *error = "\"" + path + "\" cannot be read";
        return false;
    }
    if (!parse_resume_text(text, &plan->state, error)) {
        *error = "\"" + path + "\": " + *error;
        return false;
    }
    plan->journal = journal;
    return true;
}

void Tresume_keeper::keep(const Tresume_state& state, const std::string& journal)
{
    if (journal.empty() || (journal == written_for && state == written)) return;
    Tresume_state kept = state;
    // A path the line format cannot hold is not kept: no constants come back.
    if (kept.constants.find_first_of("\r\n") != std::string::npos) kept.constants.clear();
    kept.lamps &= ALL_LAMPS;
    const std::string text = resume_text(kept);
    const std::string path = resume_path(journal);
    std::string reason;
    if (!write_file_replacing(path.c_str(), text.data(), text.size(), &reason)) {
        if (failed_for != journal) log_printf("ERROR : unable to write \"%s\": %s", path.c_str(), reason.c_str());
        failed_for = journal;
        return;
    }
    written = state;
    written_for = journal;
    failed_for.clear();
}
