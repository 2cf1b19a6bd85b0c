// The "freeGPS " blocks that cameras of the dated-sequence form write into the media data: found
// through the "gps " box of the movie box (a list of block offsets and sizes), or, without one,
// by a scan of the "mdat" box for the block signature. The record layouts known:
//   floats     0x30.. hour, minute, second, year-2000, month, day (32-bit little-endian),
//              0x48 status 'A'/'V', 0x49 'N'/'S', 0x4A 'E'/'W', 0x4C latitude and 0x50 longitude
//              (float, DDDMM.MMMM), 0x54 speed (float, knots); when the block also holds the
//              position as doubles at 0x70 and 0x80 (within 0.001 of the floats) those are used;
//   integers   as floats, with "IQS" at 0x10: latitude and longitude 32-bit signed in 1e-7
//              degrees, speed 32-bit signed in 0.01 m/s;
//   doubles    0x30.. hour, minute, second, 0x3C status, 0x40 latitude (double, DDMM.MMMM),
//              0x48 'N'/'S', 0x50 longitude, 0x58 'E'/'W', 0x60 speed (double, knots),
//              0x70.. year-2000, month, day.
// Everything read is checked against the file: at most 64 top-level boxes and 256 boxes of the
// movie box are looked at, at most MaxFixes blocks, each of at most
// MaxFreeGpsBlock bytes, inside the file; the scan reads at most MaxFreeGpsScan bytes, and gives
// up after MaxFreeGpsFirstBlock bytes without a block (cameras write the first one within the
// first few megabytes).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mp4parse/fix_track.h"

namespace korvane {

inline constexpr uint32_t MinFreeGpsBlock = 0x5C;
inline constexpr uint32_t MaxFreeGpsBlock = 0x10000;
inline constexpr uint64_t MaxFreeGpsScan = 512ull << 20;
inline constexpr uint64_t MaxFreeGpsFirstBlock = 20ull << 20;

// One block (from its size field on) as a fix; false when it is no "freeGPS " block of a known
// layout. A record without a fix ('V') is a fix that is not valid.
bool DecodeFreeGpsBlock(std::string_view block, GpsFix& fix);

// The fixes of the blocks in the recording at `path`, in file order; empty when it has none.
// `viaBox` (optional) tells whether a "gps " box listed them; without `scan` the media data is
// not scanned. Throws MP4::BinaryStreamException(1) when the file exists but cannot be read.
std::vector<GpsFix> ReadFreeGps(const std::string& path, bool* viaBox = nullptr, bool scan = true);

}  // namespace korvane
