// Runs a real program and collects its exit status and output.
#pragma once

#include <string>
#include <vector>

namespace korvane::test {

struct ProcessResult {
  int status = -1;  // exit status, or -1 when it did not exit normally
  std::string out;
  std::string err;
};

ProcessResult RunProcess(const std::vector<std::string>& argv);
ProcessResult RunCli(const std::vector<std::string>& args);  // korvane-cli ARGS...
bool HaveProgram(const std::string& name);                   // on PATH

}  // namespace korvane::test
