// What the export tests share: the sample recordings, ffmpeg's view of a clip and the files of an
// export folder.
#pragma once

#include <string>
#include <vector>

#include "fixtures.h"
#include "run_process.h"

namespace korvane::test {

inline constexpr double kFrameSeconds = 1.0 / 30;  // the sample recordings' frame rate

// The sample folder (KORVANE_SAMPLES_DIR), or empty when it has not been made.
std::string SamplesFolder();

// framemd5 lines (without the comment lines) of every picture of `path`'s video as ffmpeg
// decodes it (edit list applied).
std::vector<std::string> PictureDigests(const std::string& path);
// The framemd5 digest of the picture `path` shows at `seconds` (an accurate seek), the digest
// column only.
std::string DigestAt(const std::string& path, double seconds);
// The digest column of a framemd5 line.
std::string DigestOf(const std::string& framemd5Line);

// Duration of stream `index` of `path` as ffprobe gives it, in seconds (-1 when unknown).
double StreamDuration(const std::string& path, int index);

// The CSV rows (no summary, no column line) of `korvane-cli telemetry RECORDING`.
std::vector<std::string> TelemetryRows(const std::string& recording);
// `rows` with their first field (the index) removed.
std::vector<std::string> WithoutIndex(const std::vector<std::string>& rows);

// The names in `folder`, hidden ones included, sorted.
std::vector<std::string> Entries(const std::string& folder);

// The whole file.
std::string ReadAll(const std::string& path);

}  // namespace korvane::test
