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

// The highest listed code of each table (codes run from 1).
constexpr unsigned char TRACER_CODE_COUNT = 6;
constexpr unsigned char CONCENTRATION_CODE_COUNT = 6;
constexpr unsigned char CONFIGURATION_CODE_COUNT = 2;
constexpr unsigned char MODEL_CODE_COUNT = 2;
