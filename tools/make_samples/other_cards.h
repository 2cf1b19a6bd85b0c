// Cards of other cameras, as those cameras write them: real H.264/AAC recordings (tiny) under
// their names and folders, NMEA side-cars with and without the millisecond prefix, per-second
// acceleration records (.3gf), and freeGPS blocks in the media data, listed by a "gps " box in
// the movie box or left to be found by a scan.
//
//   make_samples --other-cards FOLDER    one card per form in FOLDER/form1 ... FOLDER/form8
#pragma once

#include <string>
#include <vector>

namespace korvane::samples {

// One GPS fix as the generator writes it.
struct FixPlan {
  int hour = 12, minute = 0, second = 0;
  int year = 2023, month = 1, day = 1;
  bool valid = true;
  double latitude = 0;   // decimal degrees, south negative
  double longitude = 0;  // decimal degrees, west negative
  double knots = 0;
};

// `count` fixes one second apart from 12:mm:00 of 2023-01-01 along a short drive that starts at
// (latitude, longitude); the third one has no fix.
std::vector<FixPlan> PlanDrive(int minute, int count, double latitude, double longitude);

// "$GPRMC"/"$GPGGA" (or "$GNRMC"/"$GNGGA") lines of the fixes, each preceded by
// "[unix-milliseconds]" when `prefix`, with their checksums.
std::string NmeaText(const std::vector<FixPlan>& fixes, bool prefix, bool gnss);
// Ten-byte acceleration records, one per second (see nmea_sidecar.h for the layout): record i
// brakes with GRecordX(i) G along x and leans with GRecordY G along -y.
std::string GRecords(int count);
inline double GRecordX(int i) { return 0.1 + 0.03 * i; }
inline constexpr double GRecordY = 0.05;
// The record layouts of freeGPS blocks (see free_gps.h).
enum class FreeGpsLayout { Floats, Integers, Doubles };
// The block of one fix (0x8000 bytes from its size field on).
std::string FreeGpsBlock(const FixPlan& fix, FreeGpsLayout layout = FreeGpsLayout::Floats);

// Rewrites the MP4 file at `path` (media data before the movie box, as ffmpeg writes it) with one
// freeGPS block per fix at the end of its media data and, when `withBox`, a "gps " box listing
// them in the movie box. Returns an empty text or what went wrong.
std::string AddFreeGps(const std::string& path, const std::vector<FixPlan>& fixes, bool withBox,
                       FreeGpsLayout layout = FreeGpsLayout::Floats);

// Length of the recordings of the cards; a fix and an acceleration record for each second.
inline constexpr int kCardClipSeconds = 12;

// Encodes the two tiny recordings every card copies (front and rear picture) into `work`.
// Returns an empty text or what went wrong.
std::string EncodeCardClips(const std::string& work);

// Writes the card of form `form` (1..8) into `folder` from the clips in `work`. Returns an
// empty text or what went wrong.
std::string WriteOtherCard(int form, const std::string& folder, const std::string& work);

// Every form's card in FOLDER/form1 ... FOLDER/form8; 0 on success.
int GenerateOtherCards(const std::string& folder);

}  // namespace korvane::samples
