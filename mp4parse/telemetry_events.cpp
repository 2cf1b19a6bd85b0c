// Event detection over a decoded track; see telemetry_events.h.
#include "mp4parse/telemetry_events.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "mp4parse/civil_date.h"

namespace korvane {
namespace {

constexpr double kGlitchKmh = 500.0;  // speeds from here on are glitches, as on the chart
constexpr int kMaxFixGap = 2 * SamplesPerSecond;
// Values are compared with this margin, so that a value read as the threshold itself (0.40 from
// a hexadecimal pair, a fall of 12 from two decoded speeds) is never taken as above it.
constexpr double kMargin = 1e-9;

int Clamp(const TelemetryTrack& track, int sampleCount) {
  return std::clamp(sampleCount, 0, static_cast<int>(track.samples.size()));
}

void FindGForce(const TelemetryTrack& track, int n, double threshold, std::vector<TelemetryEvent>& out) {
  const auto& s = track.samples;
  int i = 0;
  while (i < n) {
    if (!(s[i].gForce > threshold + kMargin)) {
      ++i;
      continue;
    }
    int peak = i;
    int lastAbove = i;
    int j = i + 1;
    for (; j < n && j - lastAbove < SamplesPerSecond; ++j) {
      if (s[j].gForce > threshold + kMargin) {
        lastAbove = j;
        if (s[j].gForce > s[peak].gForce) peak = j;
      }
    }
    out.push_back({EventKind::GForce, peak, s[peak].gForce});
    i = j;
  }
}

bool SpeedUsable(const TelemetrySample& s) {
  return s.fixValid && s.speedKmh != NoSpeed && std::isfinite(s.speedKmh) && s.speedKmh >= 0 &&
         s.speedKmh < kGlitchKmh;
}

// Speeds with a single-sample glitch taken out: the median of a sample and its two neighbours
// when all three are usable. Unusable samples read NaN.
std::vector<double> SmoothedSpeeds(const TelemetryTrack& track, int n) {
  const auto& s = track.samples;
  std::vector<double> v(static_cast<size_t>(n), NAN);
  for (int i = 0; i < n; ++i) {
    if (!SpeedUsable(s[i])) continue;
    double m = s[i].speedKmh;
    if (i > 0 && i + 1 < n && SpeedUsable(s[i - 1]) && SpeedUsable(s[i + 1])) {
      double a = s[i - 1].speedKmh, b = s[i].speedKmh, c = s[i + 1].speedKmh;
      m = std::max(std::min(a, b), std::min(std::max(a, b), c));
    }
    v[static_cast<size_t>(i)] = m;
  }
  return v;
}

struct BrakingRun {
  int firstStart;  // start of its first window
  int lastEnd;     // end of its last window
  double strongest;
};

void FindBraking(const TelemetryTrack& track, int n, double threshold, std::vector<TelemetryEvent>& out) {
  const std::vector<double> v = SmoothedSpeeds(track, n);
  std::vector<BrakingRun> runs;
  int usableRun = 0;
  bool inRun = false;
  for (int e = 0; e < n; ++e) {
    usableRun = std::isnan(v[static_cast<size_t>(e)]) ? 0 : usableRun + 1;
    bool qualifies = false;
    double fall = 0;
    if (usableRun > SamplesPerSecond) {
      const int s = e - SamplesPerSecond;
      fall = v[static_cast<size_t>(s)] - v[static_cast<size_t>(e)];
      qualifies = v[static_cast<size_t>(s)] >= MinMovingKmh && fall > threshold + kMargin;
    }
    if (qualifies && inRun) {
      runs.back().lastEnd = e;
      runs.back().strongest = std::max(runs.back().strongest, fall);
    } else if (qualifies) {
      runs.push_back({e - SamplesPerSecond, e, fall});
    }
    inRun = qualifies;
  }
  // Two runs are one braking only across a short gap without a fix through which the speed kept
  // falling faster than the threshold.
  std::vector<BrakingRun> merged;
  for (const BrakingRun& r : runs) {
    if (!merged.empty()) {
      BrakingRun& p = merged.back();
      const int gap = r.firstStart - p.lastEnd;
      int unusable = 0;
      for (int i = p.lastEnd + 1; i < r.firstStart; ++i) unusable += std::isnan(v[static_cast<size_t>(i)]);
      const double rate = gap > 0 ? (v[static_cast<size_t>(p.lastEnd)] - v[static_cast<size_t>(r.firstStart)]) *
                                        SamplesPerSecond / gap
                                  : 0;
      if (unusable > 0 && unusable <= kMaxFixGap && gap <= kMaxFixGap + 2 * SamplesPerSecond && rate > threshold + kMargin) {
        p.lastEnd = r.lastEnd;
        p.strongest = std::max(p.strongest, r.strongest);
        continue;
      }
    }
    merged.push_back(r);
  }
  for (const BrakingRun& r : merged) {
    // The braking starts at the last sample of its first window still at the window's starting
    // speed, within a tenth of a second's fall at the threshold (which noise stays inside).
    const double tolerance = threshold / SamplesPerSecond;
    const double startSpeed = v[static_cast<size_t>(r.firstStart)];
    int at = r.firstStart;
    for (int k = r.firstStart; k <= r.firstStart + SamplesPerSecond; ++k)
      if (v[static_cast<size_t>(k)] >= startSpeed - tolerance) at = k;
    out.push_back({EventKind::HardBraking, at, r.strongest});
  }
}

bool Digits(const std::string& s, size_t at, size_t count, int& value) {
  value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    value = value * 10 + (s[i] - '0');
  }
  return true;
}

// Seconds since 1970 of a complete "YYYY/MM/DD hh:mm:ss", or false.
bool ParseClock(const std::string& t, long long& seconds) {
  if (t.size() < 19 || t[4] != '/' || t[7] != '/' || t[10] != ' ' || t[13] != ':' || t[16] != ':') return false;
  int y, mo, d, h, mi, s;
  if (!Digits(t, 0, 4, y) || !Digits(t, 5, 2, mo) || !Digits(t, 8, 2, d) || !Digits(t, 11, 2, h) ||
      !Digits(t, 14, 2, mi) || !Digits(t, 17, 2, s))
    return false;
  if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59) return false;
  seconds = DaysFromCivil(y, mo, d) * 86400LL + h * 3600 + mi * 60 + s;
  return true;
}

}  // namespace

std::vector<TelemetryEvent> DetectEvents(const TelemetryTrack& track, int sampleCount,
                                         const EventThresholds& thresholds, bool eventRecording) {
  const int n = Clamp(track, sampleCount);
  std::vector<TelemetryEvent> out;
  FindGForce(track, n, thresholds.gForce, out);
  FindBraking(track, n, thresholds.brakingKmhPerS, out);
  if (eventRecording && std::isfinite(thresholds.preEventSeconds) && thresholds.preEventSeconds >= 0) {
    const double at = std::round(thresholds.preEventSeconds * SamplesPerSecond);
    if (at < n) {
      const int i = static_cast<int>(at);
      out.push_back({EventKind::Trigger, i, track.samples[static_cast<size_t>(i)].gForce});
    }
  }
  std::stable_sort(out.begin(), out.end(),
                   [](const TelemetryEvent& a, const TelemetryEvent& b) { return a.sample < b.sample; });
  return out;
}

std::optional<int> EventLanding(const std::vector<TelemetryEvent>& events, int positionTenths, int direction) {
  std::optional<int> found;
  for (const TelemetryEvent& e : events) {
    const int landing = e.sample - EventLeadTenths;
    if (direction > 0 && landing > positionTenths) return std::max(landing, 0);
    if (direction < 0 && landing < positionTenths - EventLeadTenths) found = std::max(landing, 0);
  }
  return direction < 0 ? found : std::nullopt;
}

bool IsEventRecordingName(std::string_view fileName) { return fileName.find("G20") != std::string_view::npos; }

const char* EventKindName(EventKind kind) {
  switch (kind) {
    case EventKind::GForce: return "g";
    case EventKind::HardBraking: return "braking";
    case EventKind::Trigger: return "trigger";
  }
  return "g";
}

std::string CameraClockAt(const TelemetryTrack& track, int sampleCount, int sample) {
  const int n = Clamp(track, sampleCount);
  for (int j = 0; j < n; ++j) {
    long long seconds = 0;
    if (!ParseClock(track.samples[static_cast<size_t>(j)].dateTime, seconds)) continue;
    // Samples 10k .. 10k+9 share a clock second: the start is the clock's second less k.
    const long long tenths = (seconds - j / SamplesPerSecond) * SamplesPerSecond + sample;
    const long long secs = tenths >= 0 ? tenths / 10 : (tenths - 9) / 10;
    const long long days = secs >= 0 ? secs / 86400 : (secs - 86399) / 86400;
    const long long inDay = secs - days * 86400;
    const CivilDate date = CivilFromDays(days);
    char buf[96];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02lld:%02lld:%02lld.%lld", date.year, date.month, date.day,
                  inDay / 3600,
                  inDay / 60 % 60, inDay % 60, tenths - secs * 10);
    return buf;
  }
  return {};
}

}  // namespace korvane
