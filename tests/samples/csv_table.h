// Reading the generator's CSV files in tests: '#' lines are comments, the first other line names
// the columns, no quoting.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace korvane::samples::test {

struct CsvTable {
  std::vector<std::string> columns;
  std::vector<std::map<std::string, std::string>> rows;
  std::vector<std::string> comments;
};

// False when the file cannot be read or a row has the wrong number of cells.
bool ReadCsv(const std::string& path, CsvTable& table);

}  // namespace korvane::samples::test
