// Other cameras' side-cars beside a recording: NMEA sentences ($GPRMC/$GNRMC, $GPGGA/$GNGGA;
// each line possibly preceded by "[unix-milliseconds]") and the per-second acceleration records
// of a ".3gf" file. Both are untrusted: at most MaxSidecarBytes are read, lines longer than
// MaxNmeaLine are passed over, a sentence whose checksum is wrong is refused, and at most
// MaxFixes fixes or records are kept.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mp4parse/fix_track.h"

namespace korvane {

inline constexpr size_t MaxNmeaLine = 200;  // a sentence is at most 82 characters

// The fixes of NMEA text, one per receiver time: an RMC sentence gives status, position, speed
// and date; a GGA sentence of a time without an RMC one gives the position (fix quality > 0).
// `found` (optional) receives the number of sentences taken.
std::vector<GpsFix> ParseNmeaText(std::string_view text, uint64_t* found = nullptr);
// One sentence's checksum ("*hh" after the data) matches, or there is none.
bool NmeaChecksumOk(std::string_view sentence);

// The records of a ".3gf" file as G values, one per record: each record is 10 bytes, a 32-bit
// big-endian time in milliseconds and three signed 16-bit big-endian axes in 1/256 G; the value
// is the length of the vector. A trailing part record is ignored.
std::vector<double> ParseGRecords(std::string_view bytes);
inline constexpr size_t GRecordBytes = 10;

// The first MaxSidecarBytes of a file (throws MP4::BinaryStreamException(1) when it exists but
// cannot be read; empty when it does not exist).
std::string ReadBoundedFile(const std::string& path);

// A side-car of another camera: ".gps" or ".nmea" (any case) whose first line starts with "[" or
// "$G", or ".3gf". The camera's own side-cars (dollar lines) are none of these.
enum class OtherSidecar { None, Nmea, GRecords };
OtherSidecar OtherSidecarKind(const std::string& path, std::string_view head);

// Another camera's side-car beside a recording, for tools that are given the recording alone:
// "<stem>" or "<stem without its channel letter>" with ".gps"/".nmea" (as OtherSidecarKind takes
// them, any case) before ".3gf"; empty when there is none.
std::string FindOtherSidecar(const std::string& recordingPath);

}  // namespace korvane
