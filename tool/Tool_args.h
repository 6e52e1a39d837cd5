#pragma once
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tool/Tool.h"

// One subcommand's words: its positional words, the values of the options
// it knows ("-o FILE") and the flags it knows, which take no value
// ("--verbose"). A lone "-" is positional (standard input).
class Ttool_command_line {
public:
    // False, with the reason in *error, for an unknown option, an option
    // without its value or one given twice that is not repeatable.
    bool parse(const Ttool_args& args, std::initializer_list<const char*> options, std::string* error,
               std::initializer_list<const char*> flags = {}, std::initializer_list<const char*> repeatable = {});
    // Null when the option was not given.
    const std::string* option(const char* name) const;
    // Every value of a repeatable option, in the order given.
    std::vector<std::string> repeated(const char* name) const;
    bool flag(const char* name) const { return flags_given.count(name) != 0; }
    // Whether "-h" or "--help" is among the words.
    bool wants_help() const { return help; }

    Ttool_args positional;

private:
    std::map<std::string, std::vector<std::string>> values;
    std::set<std::string> flags_given;
    bool help = false;
};

// Appends "lumo2-tool <command>: <message>" and a line end to io->err.
void tool_error(Ttool_output* io, const char* command, const std::string& message);
// The usage complaint of a subcommand; returns TOOL_BAD_INPUT.
int tool_usage_error(Ttool_output* io, const char* command, const std::string& message);
