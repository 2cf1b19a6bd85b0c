// korvane-cli scan FOLDER: the recordings of a folder as the viewer lists them.
//   # normal=N normal_bytes=B event=M event_bytes=C
//   N <name>   (Normal group, time-stamp order)
//   E <name>   (Event group, time-stamp order)
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <QFile>
#include <QString>
#include <QStringList>

#include "library/catalogue.h"
#include "library/recording_scan.h"
#include "tools/cli/cli_commands.h"

namespace korvane::cli {

int RunScan(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "korvane-cli: usage: korvane-cli scan FOLDER\n");
    return ExitUsage;
  }
  const QString folder = QFile::decodeName(QByteArray::fromStdString(args[0]));
  QStringList normal, event;
  std::uint64_t normalBytes = 0, eventBytes = 0;
  bool listedNormal = false, listedEvent = false;
  ScanRecordings(folder, kGroupNormal, normal, normalBytes, &listedNormal);
  ScanRecordings(folder, kGroupEvent, event, eventBytes, &listedEvent);
  if (!listedNormal || !listedEvent) {
    std::fprintf(stderr, "korvane-cli: cannot list folder '%s'\n", args[0].c_str());
    return ExitNoFile;
  }
  std::printf("# normal=%lld normal_bytes=%llu event=%lld event_bytes=%llu\n",
              static_cast<long long>(normal.size()), static_cast<unsigned long long>(normalBytes),
              static_cast<long long>(event.size()), static_cast<unsigned long long>(eventBytes));
  for (const QString& n : normal) std::printf("N %s\n", QFile::encodeName(n).constData());
  for (const QString& n : event) std::printf("E %s\n", QFile::encodeName(n).constData());
  return ExitOk;
}

}  // namespace korvane::cli
