#include "export/telemetry_text.h"

#include <algorithm>
#include <string_view>

#include "export/gpx_point.h"
#include "mp4parse/telemetry_events.h"
#include "mp4parse/text_fields.h"
#include "platform/card_text.h"
#include "platform/utf8_sequence.h"

namespace korvane {

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

}  // namespace

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t n = Utf8SequenceLength(bytes.substr(at));
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++at;
    } else {
      out.append(bytes.substr(at, n));
      at += n;
    }
  }
  return out;
}

size_t FilledSamples(DataType type, size_t n, const TelemetryTrack& track) {
  switch (type) {
    case DataTypeSubtitle: return std::min(n, TrackCapacity);
    case DataTypeGps:
    case DataTypeDollar: return std::min((n + GValueCount - 1) / GValueCount * GValueCount, TrackCapacity);
    case DataTypeFixes: return std::min(static_cast<size_t>(std::max(track.sampleCount, 0)), TrackCapacity);
    case DataTypeNone: break;
  }
  return 0;
}

std::string GpxDocumentStart() {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<gpx version=\"1.1\" creator=\"korvane-cli\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
         "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\" "
         "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
         "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd "
         "http://www.garmin.com/xmlschemas/TrackPointExtension/v2 "
         "https://www8.garmin.com/xmlschemas/TrackPointExtensionv2.xsd\">\n"
         "  <!-- " + std::string(kTimeNote) + " Speeds are in metres per second. -->\n"
         "  <metadata>\n    <desc>" + kTimeNote + "</desc>\n  </metadata>\n";
}

std::string GpxDocumentEnd() { return "</gpx>\n"; }

std::string GpxTrack(const std::string& name, const TelemetrySample* samples, size_t count,
                     const std::vector<std::string>& lines, DataType type) {
  std::string out = "  <trk>\n    <name>" + XmlEscape(ValidUtf8(name)) + "</name>\n    <cmt>" + kTimeNote +
                    "</cmt>\n    <trkseg>\n";
  GpxClock clock(RmcTimesCarryTenths(lines));
  // One point per fix: the "$" and "GPS" forms repeat each line for the ten samples of its second.
  std::string_view previousLine;
  std::string previousPoint;
  for (size_t i = 0; i < count; ++i) {
    const TelemetrySample& s = samples[i];
    double lat = 0, lon = 0;
    // A "$" or "GPS" sample was decoded from the first line of its group of ten.
    const size_t li = type == DataTypeSubtitle ? i : i / GValueCount * GValueCount;
    const std::string_view line = li < lines.size() ? std::string_view(lines[li]) : std::string_view();
    const std::string time = clock.Next(line, s);
    if (!GpxPosition(s, line, type, lat, lon)) continue;
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
  return out;
}

std::string TelemetryCsvColumns(bool mph) {
  return mph ? "index,fix,latitude,longitude,speed_mph,g,g_text,date_time\n"
             : "index,fix,latitude,longitude,speed_kmh,g,g_text,date_time\n";
}

std::string TelemetryCsvRow(size_t index, const TelemetrySample& s, bool mph) {
  return std::to_string(index) + ',' + (s.fixValid ? '1' : '0') + ',' + FormatFixed(s.latitude, 7) + ',' +
         FormatFixed(s.longitude, 7) + ',' +
         (s.speedKmh == NoSpeed ? std::string() : FormatFixed(SpeedInUnit(s.speedKmh, mph), 4)) + ',' +
         FormatFixed(s.gForce, 4) + ',' + CsvField(EscapeCardText(s.gText)) + ',' + CsvField(EscapeCardText(s.dateTime)) +
         '\n';
}

}  // namespace korvane
