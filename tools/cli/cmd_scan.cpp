// korvane-cli scan FOLDER: the recordings of a folder as the viewer lists them.
//   # normal=N normal_bytes=B event=M event_bytes=C cut=K
//   N <name>        (Normal group, time-stamp order)
//   E <name>        (Event group, time-stamp order)
//   N <name> cut    (a recording cut off while it was written: the viewer shows it damaged and
//                    offers to repair it; recording names hold no spaces)
// A folder without any of these names is walked for another camera's card; then each cell's
// line is followed by its moment, indented by two blanks:
//     start YYYY/MM/DD hh:mm:ss mode <normal|parking|recent|event|locked|manual|saved|sentry>
//     <channel letter> <path>     one line per channel, in the form's channel order
//     gps <path>                  the NMEA side-car, when there is one
//     g <path>                    the acceleration records, when there are some
// Its names are paths below FOLDER; the counts and bytes of the first line are those of the
// moments (all their channels).
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

namespace {

std::string Escaped(const QString& name) { return EscapeName(EncodeFileNameBytes(name).toStdString()); }

// The lines under a moment's cell line: its start and mode, its channels and side-cars.
std::string MomentLines(const CameraMoment& m) {
  std::string out = "  start " + StartText(m.start).toStdString() + " mode " + ModeWord(m.mode) + "\n";
  QStringList letters;
  for (QChar c : ChannelOrder(m.form))
    if (m.channels.contains(c)) letters << c;
  for (auto it = m.channels.cbegin(); it != m.channels.cend(); ++it)
    if (!letters.contains(it.key())) letters << it.key();
  for (const QString& c : letters)
    out += "  " + c.toStdString() + " " + Escaped(m.channels.value(c.at(0))) + "\n";
  if (!m.gpsSidecar.isEmpty()) out += "  gps " + Escaped(m.gpsSidecar) + "\n";
  if (!m.gSidecar.isEmpty()) out += "  g " + Escaped(m.gSidecar) + "\n";
  return out;
}

}  // namespace

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
  CameraCard card;
  if (normal.isEmpty() && event.isEmpty()) {
    RecordingCatalogue catalogue;
    card = ScanCameraCard(folder);
    TakeCameraCard(card, catalogue);
    normal = catalogue.normalFiles;
    event = catalogue.eventFiles;
    normalBytes = catalogue.normalTotalBytes;
    eventBytes = catalogue.eventTotalBytes;
  }
  // Only box headers are read to tell a cut recording, so this stays cheap on a large card.
  std::string lines;
  long long cut = 0;
  auto cellLine = [&](char group, const QString& name) {
    const std::string bytes = EncodeFileNameBytes(name).toStdString();
    const bool damaged = repair::IsDamagedRecording(bytes);
    cut += damaged ? 1 : 0;
    lines += std::string(1, group) + ' ' + EscapeName(bytes) + (damaged ? " cut\n" : "\n");
  };
  if (card.normal.isEmpty() && card.event.isEmpty()) {
    for (const QString& n : normal) cellLine('N', n);
    for (const QString& n : event) cellLine('E', n);
  } else {
    for (const CameraMoment& m : card.normal) {
      cellLine('N', m.CellName());
      lines += MomentLines(m);
    }
    for (const CameraMoment& m : card.event) {
      cellLine('E', m.CellName());
      lines += MomentLines(m);
    }
  }
  std::printf("# normal=%lld normal_bytes=%llu event=%lld event_bytes=%llu cut=%lld\n",
              static_cast<long long>(normal.size()), static_cast<unsigned long long>(normalBytes),
              static_cast<long long>(event.size()), static_cast<unsigned long long>(eventBytes), cut);
  std::fwrite(lines.data(), 1, lines.size(), stdout);
  return FinishOutput() ? ExitOk : ExitNoFile;
}

}  // namespace korvane::cli
