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

bool Digits(std::string_view s, size_t at, size_t count, int low, int high) {
  int v = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  return v >= low && v <= high;
}

// "YYYY/MM/DD hh:mm:ss" at the start of the date-time text → "YYYY-MM-DDThh:mm:ss" (no zone:
// the camera's clock is local time). Empty when the date-time is not complete.
std::string GpxTime(const std::string& dt) {
  if (dt.size() < 19) return {};
  if (dt[4] != '/' || dt[7] != '/' || dt[10] != ' ' || dt[13] != ':' || dt[16] != ':') return {};
  if (!Digits(dt, 0, 4, 0, 9999) || !Digits(dt, 5, 2, 1, 12) || !Digits(dt, 8, 2, 1, 31) ||
      !Digits(dt, 11, 2, 0, 23) || !Digits(dt, 14, 2, 0, 59) || !Digits(dt, 17, 2, 0, 59))
    return {};
  return dt.substr(0, 4) + '-' + dt.substr(5, 2) + '-' + dt.substr(8, 2) + 'T' + dt.substr(11, 8);
}

const char* kLocalTimeNote =
    "Point times are the camera clock's local time; the recording holds no time zone.";

void AppendTrack(std::string& out, const std::string& recording, const LoadedRecording& rec) {
  out += "  <trk>\n    <name>" + XmlEscape(ValidUtf8(std::filesystem::path(recording).filename().string())) +
         "</name>\n    <cmt>" + kLocalTimeNote + "</cmt>\n    <trkseg>\n";
  const size_t rows = rec.FilledSamples();
  for (size_t i = 0; i < rows; ++i) {
    const TelemetrySample& s = rec.track->samples[i];
    double lat = 0, lon = 0;
    const std::string_view line = i < rec.lines.size() ? std::string_view(rec.lines[i]) : std::string_view();
    if (!GpxPosition(s, line, rec.dataType, lat, lon)) continue;
    out += "      <trkpt lat=\"" + FormatFixed(lat, 7) + "\" lon=\"" + FormatFixed(lon, 7) + "\">";
    const std::string time = GpxTime(s.dateTime);
    if (!time.empty()) out += "<time>" + time + "</time>";
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
      "  <!-- " + std::string(kLocalTimeNote) + " Speeds are in metres per second. -->\n"
      "  <metadata>\n    <desc>" + kLocalTimeNote + "</desc>\n  </metadata>\n";
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
