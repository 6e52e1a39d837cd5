#pragma once

// The one-byte instrument codes and their names. 0 and every code not listed
// mean "undefined" and name as such; names map back to codes ignoring the
// case of ASCII letters, and an unknown or absent name gives 0.
const char* tracer_name(unsigned char code);
const char* concentration_name(unsigned char code);
const char* configuration_name(unsigned char code);
const char* model_name(unsigned char code);

unsigned char tracer_code(const char* name);
unsigned char concentration_code(const char* name);
unsigned char configuration_code(const char* name);
unsigned char model_code(const char* name);

// The codes the program itself acts on.
constexpr unsigned char TRACER_WATER = 1;
constexpr unsigned char TRACER_URANINE = 2;
constexpr unsigned char TRACER_EOSINE = 3;
constexpr unsigned char TRACER_SULFORHODAMINE_B = 4;
constexpr unsigned char TRACER_AMINO_G_ACID = 5;
constexpr unsigned char TRACER_NAPHTIONATE = 6;
constexpr unsigned char CONCENTRATION_0_NTU = 1;
constexpr unsigned char CONCENTRATION_1_NTU = 2;
constexpr unsigned char CONCENTRATION_10_NTU = 3;
constexpr unsigned char CONCENTRATION_100_NTU = 4;
constexpr unsigned char CONCENTRATION_10_PPB = 5;
constexpr unsigned char CONCENTRATION_100_PPB = 6;
constexpr unsigned char CONFIG_I_II_III = 1;
constexpr unsigned char CONFIG_I_II_V = 2;

// The highest listed code of each table (codes run from 1).
constexpr unsigned char TRACER_CODE_COUNT = 6;
constexpr unsigned char CONCENTRATION_CODE_COUNT = 6;
constexpr unsigned char CONFIGURATION_CODE_COUNT = 2;
constexpr unsigned char MODEL_CODE_COUNT = 2;
