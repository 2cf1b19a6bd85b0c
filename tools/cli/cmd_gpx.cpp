// korvane-cli gpx RECORDING...: one GPX 1.1 document with a track per recording.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "mp4parse/text_fields.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_load.h"
#include "tools/cli/cli_text.h"
#include "tools/cli/gpx_point.h"

namespace korvane::cli {

namespace {

using fields::FormatFixed;

std::string XmlEscape(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        // Control characters are not allowed in XML 1.0 text.
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') out += '?';
        else out += static_cast<char>(c);
    }
  }
  return out;
}

const char* kTimeNote =
    "Point times are the GPS's UTC ($GPRMC date and time) where the recording carries it; otherwise "
    "the camera clock with the offset of the time zone korvane-cli ran in (TZ).";

void AppendTrack(std::string& out, const std::string& recording, const LoadedRecording& rec) {
  out += "  <trk>\n    <name>" + XmlEscape(ValidUtf8(std::filesystem::path(recording).filename().string())) +
         "</name>\n    <cmt>" + kTimeNote + "</cmt>\n    <trkseg>\n";
  const size_t rows = rec.FilledSamples();
  GpxClock clock(RmcTimesCarryTenths(rec.lines));
  // One point per fix: the "$" and "GPS" forms repeat each line for the ten samples of its second.
  std::string_view previousLine;
  std::string previousPoint;
  for (size_t i = 0; i < rows; ++i) {
    const TelemetrySample& s = rec.track->samples[i];
    double lat = 0, lon = 0;
    // A "$" or "GPS" sample was decoded from the first line of its group of ten.
    const size_t li = rec.dataType == DataTypeSubtitle ? i : i / GValueCount * GValueCount;
    const std::string_view line = li < rec.lines.size() ? std::string_view(rec.lines[li]) : std::string_view();
    const std::string time = clock.Next(line, s);
    if (!GpxPosition(s, line, rec.dataType, lat, lon)) continue;
    const bool sameLine = !line.empty() && line == previousLine;
    previousLine = line;
    if (sameLine) continue;
    std::string point = "      <trkpt lat=\"" + FormatFixed(lat, 7) + "\" lon=\"" + FormatFixed(lon, 7) + "\">";
    if (!time.empty()) point += "<time>" + time + "</time>";
    if (line.empty() && point == previousPoint) continue;
    previousPoint = point;
    out += point;
    if (s.speedKmh != NoSpeed) {
      out += "<extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" + FormatFixed(s.speedKmh / 3.6, 4) +
             "</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions>";
    }
    out += "</trkpt>\n";
  }
  out += "    </trkseg>\n  </trk>\n";
}

}  // namespace

int RunGpx(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "korvane-cli: usage: korvane-cli gpx RECORDING...\n");
    return ExitUsage;
  }
  std::string out =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<gpx version=\"1.1\" creator=\"korvane-cli\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
      "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\" "
      "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
      "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd "
      "http://www.garmin.com/xmlschemas/TrackPointExtension/v2 "
      "https://www8.garmin.com/xmlschemas/TrackPointExtensionv2.xsd\">\n"
      "  <!-- " + std::string(kTimeNote) + " Speeds are in metres per second. -->\n"
      "  <metadata>\n    <desc>" + kTimeNote + "</desc>\n  </metadata>\n";
  for (const std::string& recording : args) {
    LoadedRecording rec;
    if (const int status = LoadRecording(recording, "", rec); status != ExitOk) return status;
    AppendTrack(out, recording, rec);
  }
  out += "</gpx>\n";
  std::fwrite(out.data(), 1, out.size(), stdout);
  return FinishOutput() ? ExitOk : ExitNoFile;
}

}  // namespace korvane::cli
