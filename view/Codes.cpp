#include "view/Codes.h"

#include "events/Lib_cpp.h"

namespace {

// Index 0 holds the table's undefined name.
const char* const TRACERS[] = {"XXXXXX_traceur_undefined", "Water", "Uranine", "Eosine",
                               "SulforhodamineB", "AminoGacid", "Naphtionate"};
const char* const CONCENTRATIONS[] = {"XXXXXX_concentration_undefined", "0 NTU", "1 NTU", "10 NTU",
                                      "100 NTU", "10 ppb", "100 ppb"};
const char* const CONFIGURATIONS[] = {"XXXXXX_configuration_undefined", "I,II,III", "I,II,V"};
const char* const MODELS[] = {"XXXXXX_model_undefined", "ZETA QX-1", "ZETA QX-2"};

template <unsigned N>
const char* name_of(const char* const (&table)[N], unsigned char code)
{
    return code < N ? table[code] : table[0];
}

template <unsigned N>
unsigned char code_of(const char* const (&table)[N], const char* name)
{
    unsigned char result = 0;
    if (!name) return result;
    for (unsigned code = 1; code < N; code++)
        if (equal_ignore_case(name, table[code]) == 0) result = (unsigned char)code;
    return result;
}

}  // namespace

const char* tracer_name(unsigned char code) { return name_of(TRACERS, code); }
const char* concentration_name(unsigned char code) { return name_of(CONCENTRATIONS, code); }
const char* configuration_name(unsigned char code) { return name_of(CONFIGURATIONS, code); }
const char* model_name(unsigned char code) { return name_of(MODELS, code); }

unsigned char tracer_code(const char* name) { return code_of(TRACERS, name); }
unsigned char concentration_code(const char* name) { return code_of(CONCENTRATIONS, name); }
unsigned char configuration_code(const char* name) { return code_of(CONFIGURATIONS, name); }
unsigned char model_code(const char* name) { return code_of(MODELS, name); }
