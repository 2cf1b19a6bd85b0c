// main() of a helper executable "korvane-cli-<name>" that runs one subcommand; korvane-cli starts
// it with the words after the subcommand name. KORVANE_CLI_HELPER names the Run function.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "tools/cli/cli_commands.h"

int main(int argc, char** argv) {
  try {
    return korvane::cli::KORVANE_CLI_HELPER(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "korvane-cli: out of memory\n");
    return korvane::cli::ExitBadData;
  }
}
