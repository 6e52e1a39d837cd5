#include "events/String_token.h"

#include "events/Lib_cpp.h"

Tstring_tokenizer::~Tstring_tokenizer()
{
    clear(true);
}

void Tstring_tokenizer::tokenize(const char* text, const char* separators)
{
    clear(true);
    if (!text || !separators) return;
    const char* p = text;
    while (*p) {
        while (*p && char_in_set(*p, separators)) p++;
        const char* start = p;
        while (*p && !char_in_set(*p, separators)) p++;
        if (p == start) continue;
        Tmy_string* token = new Tmy_string;
        token->append(start, unsigned(p - start));
        append(token);
    }
}

const Tmy_string* Tstring_tokenizer::token(int index) const
{
    static const Tmy_string empty;
    const Tmy_string* found = at(index);
    return found ? found : &empty;
}
