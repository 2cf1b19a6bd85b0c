// make_samples: writes a folder of sample recordings that looks like a recorder's memory card.
//
//   make_samples [--force] [--parallel N] FOLDER          the standard set (14 recordings, 20 s, 1280x720)
//   make_samples --long FOLDER                            the same set as 60-second 1920x1080 recordings
//   make_samples --other-cards FOLDER                     one card of each other camera's form
//   make_samples --count N [--events M] FOLDER            N Normal (and M Event) 15-second recordings
//                                                         from one encode, for benchmarks
//
// A folder that is complete and was made by the same build with the same options is left alone.
#include <QCoreApplication>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

#include "tools/make_samples/generator.h"
#include "tools/make_samples/other_cards.h"

namespace {

int Usage() {
  std::cerr << "usage: make_samples [--long | --count N [--events M]] [--parallel N] [--force] FOLDER\n";
  return 2;
}

bool ReadCount(int argc, char** argv, int& i, int& value, int minimum) {
  if (i + 1 >= argc) return false;
  char* end = nullptr;
  const long v = std::strtol(argv[++i], &end, 10);
  if (*end != '\0' || v < minimum || v > 100000) return false;
  value = int(v);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  korvane::samples::Options options;
  if (argc == 3 && std::string(argv[1]) == "--other-cards") return korvane::samples::GenerateOtherCards(argv[2]);
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--long") {
      options.longRecordings = true;
    } else if (a == "--count") {
      if (!ReadCount(argc, argv, i, options.count, 1)) return Usage();
    } else if (a == "--events") {
      if (!ReadCount(argc, argv, i, options.events, 0)) return Usage();
    } else if (a == "--parallel") {
      if (!ReadCount(argc, argv, i, options.parallel, 1)) return Usage();
    } else if (a == "--force") {
      options.force = true;
    } else if (!a.empty() && a[0] != '-' && options.folder.empty()) {
      options.folder = a;
    } else {
      return Usage();
    }
  }
  if (options.folder.empty() || (options.longRecordings && options.count > 0)) return Usage();
  options.generatorId = korvane::samples::HashFile(QCoreApplication::applicationFilePath().toStdString());
  try {
    return korvane::samples::Generate(options);
  } catch (const std::exception& e) {
    std::cerr << "make_samples: " << e.what() << "\n";
    return 1;
  }
}
