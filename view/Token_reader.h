#pragma once
#include <string_view>

// Reads a text held in memory with the primitives of a scanf-style grammar:
// words and numbers may stand anywhere, only skip_line ties reading to lines.
// Numbers are read in the C locale whatever the process's locale. A read
// that finds nothing usable leaves its destination unchanged and marks the
// reader as failed.
class Ttoken_reader {
public:
    explicit Ttoken_reader(std::string_view text) : text(text) {}

    // The characters up to the next line feed (which is consumed), CR dropped.
    std::string_view line();
    bool word(std::string_view* out);
    bool number(double* out);
    bool integer(int* out);
    // Discards up to and including the next line feed, or to the end.
    void skip_line();

    bool failed() const { return read_failed; }
    bool at_end() const { return position >= text.size(); }

private:
    void skip_space();
    bool fail();

    std::string_view text;
    size_t position = 0;
    bool read_failed = false;
};

// Blanks, tabs, line ends, vertical tab and form feed: the white space that
// separates words.
bool is_blank_char(char c);
