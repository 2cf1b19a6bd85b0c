// korvane-cli scan FOLDER: the recordings of a folder as the viewer lists them.
//   # normal=N normal_bytes=B event=M event_bytes=C cut=K
//   N <name>        (Normal group, time-stamp order)
//   E <name>        (Event group, time-stamp order)
//   N <name> cut    (a recording cut off while it was written: the viewer shows it damaged and
//                    offers to repair it; recording names hold no spaces)
// Names are printed escaped (EscapeName): a name holding a line break or bytes that are not
// UTF-8 cannot be misread.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <QFile>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include "library/catalogue.h"
#include "library/recording_scan.h"
#include "mp4repair/damage.h"
#include "platform/file_name_bytes.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_text.h"

namespace korvane::cli {

int RunScan(const std::vector<std::string>& args) {
  if (args.size() != 1) {
    std::fprintf(stderr, "korvane-cli: usage: korvane-cli scan FOLDER\n");
    return ExitUsage;
  }
  // The folder is entered by its bytes, so any name works, and the recordings are listed there.
  if (args[0].empty() || chdir(args[0].c_str()) != 0) {
    std::fprintf(stderr, "korvane-cli: cannot list folder '%s': %s\n", EscapeName(args[0]).c_str(),
                 args[0].empty() ? "empty name" : std::strerror(errno));
    return ExitNoFile;
  }
  // The command prints its own one-line messages; the library's log would repeat them.
  QLoggingCategory::setFilterRules(QStringLiteral("korvane.*=false"));
  const QString folder = QStringLiteral(".");
  QStringList normal, event;
  std::uint64_t normalBytes = 0, eventBytes = 0;
  bool listedNormal = false, listedEvent = false;
  ScanRecordings(folder, kGroupNormal, normal, normalBytes, &listedNormal);
  ScanRecordings(folder, kGroupEvent, event, eventBytes, &listedEvent);
  if (!listedNormal || !listedEvent) {
    const int error = errno;
    std::fprintf(stderr, "korvane-cli: cannot list folder '%s': %s\n", EscapeName(args[0]).c_str(),
                 error != 0 ? std::strerror(error) : "listing failed");
    return ExitNoFile;
  }
  // Only box headers are read to tell a cut recording, so this stays cheap on a large card.
  std::string lines;
  long long cut = 0;
  auto list = [&](const QStringList& names, char group) {
    for (const QString& n : names) {
      const std::string bytes = EncodeFileNameBytes(n).toStdString();
      const bool damaged = repair::IsDamagedRecording(bytes);
      cut += damaged ? 1 : 0;
      lines += std::string(1, group) + ' ' + EscapeName(bytes) + (damaged ? " cut\n" : "\n");
    }
  };
  list(normal, 'N');
  list(event, 'E');
  std::printf("# normal=%lld normal_bytes=%llu event=%lld event_bytes=%llu cut=%lld\n",
              static_cast<long long>(normal.size()), static_cast<unsigned long long>(normalBytes),
              static_cast<long long>(event.size()), static_cast<unsigned long long>(eventBytes), cut);
  std::fwrite(lines.data(), 1, lines.size(), stdout);
  return FinishOutput() ? ExitOk : ExitNoFile;
}

}  // namespace korvane::cli
