#pragma once
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/Zeta_model.h"

// The short texts that name what is in the cell ("uranine=10,turbidity=5")
// and the options of a scenario ("tracer=eosine,peak=40").

using Tkey_values = std::vector<std::pair<std::string, std::string>>;

// Splits "k=v,k=v" at commas; an item without '=' gets an empty value.
// Blanks around keys and values are dropped; keys are lower-cased.
Tkey_values split_key_values(std::string_view text);

// A decimal number in the C locale filling the whole text; false otherwise.
bool parse_number(std::string_view text, double& value);

// Tracer code for a name in any case ("Uranine", "amino-g-acid",
// "sulforhodamine", ...) or a code written as a number; 0 when unknown.
int tracer_code_of(std::string_view name);

// Fills `cell` from "uranine=10,turbidity=5"; "water" (or an empty text)
// is clean water. On failure returns false and says why in `error`.
bool parse_cell(std::string_view text, Tcell& cell, std::string& error);
// The inverse: "uranine=10,turbidity=5", or "water" for a clean cell.
std::string describe_cell(const Tcell& cell);
