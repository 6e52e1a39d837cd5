#pragma once
#include <string>
#include <vector>

#include "events/Append_file.h"
#include "view/Measure_table.h"

// Keeps a saved measurement table on disk one row at a time: the file holds
// at every moment the bytes "save" would write for the rows appended so
// far, or those and the start of the row being written.
class Ttable_appender {
public:
    // Creates the file with the header line when it is missing or empty, or
    // continues a saved table. Of a last line without its CR LF, a complete
    // row is completed, and a row cut short (fewer cells than a row has) is
    // dropped before anything is appended, its bytes appended to
    // "<path>.dropped" first. Any other file, and a file another writer
    // holds, is refused and left as it was: false, with the reason in
    // *error. The file stays locked for this writer until closed.
    bool open(const char* path, std::string* error) { return open(path, error, nullptr); }
    // The same, adding the rows found to *rows.
    bool open(const char* path, std::string* error, std::vector<Tmeasure_row>* rows);
    // Creates a new file holding the header line; *exists when the name is
    // already taken.
    bool create(const char* path, bool* exists, std::string* error);
    bool is_open() const { return file.is_open(); }
    // The last open was refused because another writer holds the file;
    // *error then reads "is being written by another program ...".
    bool busy() const { return held_elsewhere; }
    // The bytes the last open dropped, and the file they were kept in.
    size_t dropped_bytes() const { return dropped; }
    std::string dropped_path() const { return kept_path; }
    void close() { file.close(); }

    // Rows found on open plus rows appended.
    unsigned complete_rows() const { return rows_in_file; }

    // write_row, then sync.
    bool append_row(const Tmeasure_row& row, std::string* error);
    // Hands the row's line to the system: it survives a crash of the
    // program. A row that cannot be written whole is cut off again, so that
    // the file ends with a complete row; when even that fails, no further
    // row is written.
    bool write_row(const Tmeasure_row& row, std::string* error);
    // Waits until every row written is on the disk: it survives a power
    // failure. May run on another thread than write_row, never beside open,
    // create or close.
    bool sync(std::string* error) { return file.sync(error); }

    // The number of rows a file's content holds: its lines after the first
    // that end in CR LF, and a last row that lacks only its line end.
    static unsigned complete_rows_in(const std::string& content);

private:
    bool continue_table(const std::string& content, std::string* error, std::vector<Tmeasure_row>* rows);
    bool keep_dropped(const std::string& bytes, std::string* error);

    Tappend_file file;
    unsigned rows_in_file = 0;
    uint64_t length = 0;
    // The file ends with part of a row that could not be cut off.
    bool damaged = false;
    bool held_elsewhere = false;
    size_t dropped = 0;
    std::string kept_path;
    std::string line;
};
