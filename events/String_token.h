#pragma once
#include "events/List.h"
#include "events/My_string.h"

// Splits a text into the maximal runs of characters not in a separator set.
class Tstring_tokenizer : public Ttyped_list<Tmy_string> {
public:
    ~Tstring_tokenizer() override;
    void tokenize(const char* text, const char* separators);
    // A shared empty string for an index at or past count.
    const Tmy_string* token(int index) const;
};
