#pragma once
#include <cstdint>
#include <string>
#include <vector>

class Tlumo_measure;
class Tmy_string;

// One measurement as the table keeps it: the values its columns show, in the
// record's single precision. Undefined values keep the undefined marker.
struct Tmeasure_row {
    int32_t timestamp;
    float delta[4];  // lamps A, B, C, T, mV
    float temperature;
    float ppb[3];    // lamps A, B, C
    float ntu;
};

// Told about changes, so that a grid showing the table can follow it.
class Tmeasure_table_listener {
public:
    virtual ~Tmeasure_table_listener() = default;
    virtual void row_about_to_be_added(unsigned data_row) = 0;
    virtual void row_added() = 0;
    virtual void table_about_to_clear() = 0;
    virtual void table_cleared() = 0;
};

// The measurement table of the live view: a header row and one row per
// measurement, twelve columns. Rows are kept as numbers and formatted only
// when shown or saved, so that weeks of 10 s measurements stay small.
class Tmeasure_table {
public:
    static constexpr int COLUMNS = 12;
    static const char* header(int column);

    // The header row alone.
    void table_clear();
    void table_add(const Tlumo_measure* record);
    // The saved form: the header line, then every row; each cell followed
    // by ";" and each line by CR LF.
    void table_text(std::string* out) const;
    // The lines of that form, appended to out.
    static void header_text(std::string* out);
    static void row_text(const Tmeasure_row& row, std::string* out);

    unsigned data_rows() const { return static_cast<unsigned>(rows.size()); }
    const Tmeasure_row& row(unsigned data_row) const { return rows[data_row]; }
    // Once a measurement is in, the header row stays fixed above the rows.
    bool header_fixed() const { return !rows.empty(); }
    // The text of one data cell; "-" for an undefined value.
    void cell_text(unsigned data_row, int column, Tmy_string* out) const;

    void add_listener(Tmeasure_table_listener* listener);
    void remove_listener(Tmeasure_table_listener* listener);

private:
    std::vector<Tmeasure_row> rows;
    std::vector<Tmeasure_table_listener*> listeners;
};
