#include "csv_table.h"

#include <fstream>

namespace korvane::samples::test {

bool ReadCsv(const std::string& path, CsvTable& table) {
  std::ifstream in(path);
  if (!in) return false;
  table = CsvTable{};
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '#') {
      table.comments.push_back(line);
      continue;
    }
    if (line.empty()) continue;
    std::vector<std::string> cells(1);
    for (char c : line) {
      if (c == ',')
        cells.emplace_back();
      else
        cells.back() += c;
    }
    if (table.columns.empty()) {
      table.columns = cells;
      continue;
    }
    if (cells.size() != table.columns.size()) return false;
    std::map<std::string, std::string> row;
    for (size_t i = 0; i < cells.size(); ++i) row[table.columns[i]] = cells[i];
    table.rows.push_back(row);
  }
  return !table.columns.empty();
}

}  // namespace korvane::samples::test
