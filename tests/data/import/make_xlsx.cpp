// Writes the .xlsx fixtures of this folder with libxlsxwriter, from the CSV
// fixtures that make_fixtures.py writes: road.xlsx (road, crossroads and
// vegetation/buildings as sheets 1 to 3), crossroads.xlsx and greens.xlsx.
// Numbers are written as numbers, everything else as text.
//
// Build and run from this folder:
//   g++ -std=c++17 -O1 make_xlsx.cpp -o /tmp/make_xlsx $(pkg-config --cflags --libs xlsxwriter) && /tmp/make_xlsx
#include <xlsxwriter.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows ReadCsv(const char* name) {
    Rows rows;
    std::ifstream in(name, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> cells;
        std::string cell;
        for (char c : line) {
            if (c == ';') {
                cells.push_back(cell);
                cell.clear();
            } else {
                cell += c;
            }
        }
        cells.push_back(cell);
        rows.push_back(cells);
    }
    return rows;
}

bool IsNumber(const std::string& t, double* v) {
    if (t.empty()) return false;
    char* end = nullptr;
    *v = std::strtod(t.c_str(), &end);
    return end == t.c_str() + t.size();
}

void WriteSheet(lxw_workbook* book, const char* name, const Rows& rows) {
    lxw_worksheet* sheet = workbook_add_worksheet(book, name);
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const std::string& t = rows[r][c];
            double v = 0;
            if (t.empty()) continue;
            if (IsNumber(t, &v)) worksheet_write_number(sheet, lxw_row_t(r), lxw_col_t(c), v, nullptr);
            else worksheet_write_string(sheet, lxw_row_t(r), lxw_col_t(c), t.c_str(), nullptr);
        }
}

int Write(const char* file, const std::vector<std::pair<const char*, const char*>>& sheets) {
    lxw_workbook* book = workbook_new(file);
    for (const auto& [name, csv] : sheets) WriteSheet(book, name, ReadCsv(csv));
    return workbook_close(book) == LXW_NO_ERROR ? 0 : 1;
}

}  // namespace

int main() {
    int failures = 0;
    failures += Write("road.xlsx", {{"Road", "road.csv"}, {"Crossroads", "crossroads.csv"}, {"Vegetation", "greens.csv"}});
    failures += Write("crossroads.xlsx", {{"Crossroads", "crossroads.csv"}});
    failures += Write("greens.xlsx", {{"Vegetation", "greens.csv"}});
    return failures;
}
