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
    // continues a saved table, dropping a last line cut off mid-row (no
    // CR LF at its end) before anything is appended. Any other file is
    // refused: false, with the reason in *error. The rows found are added to
    // *rows when asked for.
    bool open(const char* path, std::string* error, std::vector<Tmeasure_row>* rows = nullptr);
    // Creates a new file holding the header line; *exists when the name is
    // already taken.
    bool create(const char* path, bool* exists, std::string* error);
    bool is_open() const { return file.is_open(); }
    void close() { file.close(); }

    // Rows found on open plus rows appended.
    unsigned complete_rows() const { return rows_in_file; }

    // write_row, then sync.
    bool append_row(const Tmeasure_row& row, std::string* error);
    // Hands the row's line to the system: it survives a crash of the
    // program. A row that cannot be written whole is cut off again, so that
    // the file ends with a complete row; when even that fails, the appender
    // closes.
    bool write_row(const Tmeasure_row& row, std::string* error);
    // Waits until every row written is on the disk: it survives a power
    // failure. May run on another thread than write_row, never beside open,
    // create or close.
    bool sync(std::string* error) { return file.sync(error); }

    // The number of rows a file's content holds: its lines after the first
    // that end in CR LF.
    static unsigned complete_rows_in(const std::string& content);

private:
    bool continue_table(std::string content, std::string* error, std::vector<Tmeasure_row>* rows);

    Tappend_file file;
    unsigned rows_in_file = 0;
    uint64_t length = 0;
    std::string line;
};
