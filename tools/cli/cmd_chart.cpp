// korvane-cli chart [--sidecar FILE] [--duration-ms N] [--mph] --width W --height H -o FILE.png RECORDING:
// the recording's speed and G-force plot as the viewer draws it, written as a PNG. Runs in the
// helper korvane-cli-chart, which needs QtGui (QImage, QPainter) but no widgets.
#include <QImage>
#include <QImageWriter>
#include <QString>

#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "telemetry_view/chart_model.h"
#include "telemetry_view/chart_painter.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_load.h"
#include "tools/cli/movie_duration.h"

namespace korvane::cli {

namespace {

constexpr const char* kUsage =
    "korvane-cli: usage: korvane-cli chart [--sidecar FILE] [--duration-ms N] [--mph] --width W --height H -o FILE.png "
    "RECORDING\n";
constexpr int kMinSide = 16;
constexpr int kMaxSide = 4096;

bool ParseInt(const std::string& text, long long& out) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && p == end && !text.empty();
}

int Say(const std::string& message, int status) {
  std::fprintf(stderr, "korvane-cli: %s\n", Printable(message).c_str());
  return status;
}

// An argument the command cannot take: the same status as every other command's.
int WrongArgument(const std::string& message) { return Say(message, ExitUsage); }
int BadInput(const std::string& message) { return Say(message, ExitBadData); }

}  // namespace

int RunChart(const std::vector<std::string>& args) {
  std::string sidecar, output, recording;
  long long width = -1, height = -1, durationMs = -1;
  bool mph = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--mph") {
      mph = true;
    } else if (a == "--sidecar" && hasValue) {
      sidecar = args[++i];
    } else if (a == "-o" && hasValue) {
      output = args[++i];
    } else if ((a == "--width" || a == "--height" || a == "--duration-ms") && hasValue) {
      long long v = 0;
      if (!ParseInt(args[++i], v)) return WrongArgument(a + " needs a whole number, not '" + args[i] + "'");
      (a == "--width" ? width : a == "--height" ? height : durationMs) = v;
    } else if (recording.empty() && !a.empty() && a[0] != '-') {
      recording = a;
    } else {
      std::fputs(kUsage, stderr);
      return ExitUsage;
    }
  }
  if (recording.empty() || output.empty() || width < 0 || height < 0) {
    std::fputs(kUsage, stderr);
    return ExitUsage;
  }
  if (width < kMinSide || width > kMaxSide || height < kMinSide || height > kMaxSide)
    return WrongArgument("width and height must lie between 16 and 4096");
  if (durationMs < -1 || (durationMs >= 0 && durationMs > INT64_MAX / 10000))
    return WrongArgument("--duration-ms out of range");

  LoadedRecording rec;
  if (const int status = LoadRecording(recording, sidecar, rec); status != ExitOk) return status;

  std::int64_t duration = 0;
  if (durationMs >= 0) {
    duration = durationMs * 10000;
  } else if (const auto movie = MovieDuration100ns(recording)) {
    duration = *movie;
  }
  const ChartDrawing drawing = ComputeChart(*rec.track, duration, static_cast<int>(width), static_cast<int>(height), 100, mph);
  const QImage image = RenderChart(drawing);
  QImageWriter writer(QString::fromStdString(output), "png");
  if (!writer.write(image))
    return BadInput(output + ": " + writer.errorString().toStdString());
  return ExitOk;
}

}  // namespace korvane::cli
