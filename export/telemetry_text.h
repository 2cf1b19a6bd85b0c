// The telemetry as text: the GPX 1.1 track and the CSV rows that `korvane-cli gpx` and
// `korvane-cli telemetry` print and that an export writes for its range (standard C++ only).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "mp4parse/telemetry_types.h"

namespace korvane {

// The samples a decode of `lineCount` lines of `type` filled, in index order (the "$" and "GPS"
// forms fill whole groups of ten).
size_t FilledSamples(DataType type, size_t lineCount, const TelemetryTrack& track);

// The GPX document around the tracks.
std::string GpxDocumentStart();
std::string GpxDocumentEnd();

// One track named `name` (any bytes; made valid UTF-8) of `count` samples; sample i was decoded
// from lines[i] (the timed-text form) or from the first line of its group of ten (the "$" and
// "GPS" forms, whose samples then start at a multiple of ten). One point per fix.
std::string GpxTrack(const std::string& name, const TelemetrySample* samples, size_t count,
                     const std::vector<std::string>& lines, DataType type);

// The CSV's column line and one row (`index` is the row's number).
std::string TelemetryCsvColumns(bool mph);
std::string TelemetryCsvRow(size_t index, const TelemetrySample& s, bool mph);

// A CSV field (RFC 4180): one holding a comma, a quote or a line break is quoted, quotes doubled.
std::string CsvField(const std::string& text);

// `bytes` with every byte that is not part of a valid UTF-8 sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view bytes);

}  // namespace korvane
