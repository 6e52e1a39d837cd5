#pragma once
#include <string>
#include <vector>

// What the live view was doing, kept beside its journal as
// "<journal>.resume", so that the next start after a crash or a power
// failure can take the test up again: measuring or not, the lamps
// requested and the constants file loaded.
struct Tresume_state {
    bool measuring = false;
    unsigned lamps = 0xF;      // bit 0 lamp A ... bit 3 lamp T
    std::string constants;     // empty: none loaded

    bool operator==(const Tresume_state&) const = default;
};

std::string resume_path(const std::string& journal);
std::string resume_text(const Tresume_state& state);
// Strict: the file must be exactly what resume_text writes. False with the
// reason otherwise.
bool parse_resume_text(const std::string& text, Tresume_state* state, std::string* error);

// A journal a run that died left open, with the state it was in.
struct Tresume_plan {
    std::string journal;
    Tresume_state state;
};

// The newest of the journals left open (the last of the list) and its
// state. False when there is none to resume, with the reason in *error
// when one was found but its state cannot be trusted.
bool find_resume_plan(const std::vector<std::string>& left_open, Tresume_plan* plan, std::string* error);

// Writes the state beside the current journal whenever the state or the
// journal changes; a failed write is logged once per journal.
class Tresume_keeper {
public:
    void keep(const Tresume_state& state, const std::string& journal);

private:
    Tresume_state written;
    std::string written_for;
    std::string failed_for;
};
