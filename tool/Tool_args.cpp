#include "tool/Tool_args.h"

#include <algorithm>

namespace {

bool among(const std::string& word, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return word == name; });
}

}  // namespace

bool Ttool_command_line::parse(const Ttool_args& args, std::initializer_list<const char*> options,
                               std::string* error, std::initializer_list<const char*> flags,
                               std::initializer_list<const char*> repeatable)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "-h" || word == "--help") {
            help = true;
            continue;
        }
        if (word.size() < 2 || word[0] != '-') {
            positional.push_back(word);
            continue;
        }
        if (among(word, flags)) {
            if (!flags_given.insert(word).second) {
                *error = "option \"" + word + "\" given twice";
                return false;
            }
            continue;
        }
        const bool many = among(word, repeatable);
        if (!many && !among(word, options)) {
            *error = "unknown option \"" + word + "\"";
            return false;
        }
        if (i + 1 >= args.size()) {
            *error = "option \"" + word + "\" needs a value";
            return false;
        }
        std::vector<std::string>& given = values[word];
        if (!many && !given.empty()) {
            *error = "option \"" + word + "\" given twice";
            return false;
        }
        given.push_back(args[++i]);
    }
    return true;
}

const std::string* Ttool_command_line::option(const char* name) const
{
    const auto found = values.find(name);
    return found == values.end() ? nullptr : &found->second.front();
}

std::vector<std::string> Ttool_command_line::repeated(const char* name) const
{
    const auto found = values.find(name);
    return found == values.end() ? std::vector<std::string>{} : found->second;
}

void tool_error(Ttool_output* io, const char* command, const std::string& message)
{
    io->err += "lumo2-tool ";
    io->err += command;
    io->err += ": " + message + "\n";
}

int tool_usage_error(Ttool_output* io, const char* command, const std::string& message)
{
    tool_error(io, command, message + " (see lumo2-tool --help)");
    return TOOL_BAD_INPUT;
}
