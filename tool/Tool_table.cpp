#include "tool/Tool_table.h"

#include "view/Saved_table.h"

bool tool_read_table(std::string_view text, std::vector<Ttool_table_row>* rows, std::string* error)
{
    rows->clear();
    return read_saved_table(
        text,
        [rows](const Tsaved_cells& cells, std::string*) {
            Ttool_table_row& row = rows->emplace_back();
            for (size_t column = 0; column < cells.size(); ++column) row[column] = cells[column];
            return true;
        },
        error);
}

void tool_write_table(const std::vector<Ttool_table_row>& rows, std::string* text)
{
    text->clear();
    Tmeasure_table::header_text(text);
    for (const Ttool_table_row& row : rows) {
        for (const std::string& cell : row) {
            *text += cell;
            *text += ';';
        }
        *text += "\r\n";
    }
}
