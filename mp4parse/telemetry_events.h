// The moments worth finding in a recording, computed from its decoded telemetry: G-force spikes,
// hard brakings and, for an event recording, the moment the camera was triggered. Pure functions
// over a track; the viewer runs them when a recording loads, korvane-cli prints them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "mp4parse/telemetry_types.h"

namespace korvane {

enum class EventKind { GForce, HardBraking, Trigger };

// The thresholds, as the viewer's state file and the command line give them.
struct EventThresholds {
  double gForce = 0.4;             // G above this is an event
  double brakingKmhPerS = 12.0;    // speed falling faster than this over a second or more
  double preEventSeconds = 10.0;   // an event recording's trigger lies this far after its start
};

inline constexpr double MinMovingKmh = 10.0;  // a braking starts at this speed or above
inline constexpr int SamplesPerSecond = 10;

struct TelemetryEvent {
  EventKind kind = EventKind::GForce;
  int sample = 0;     // the sample the event lies at (tenths of a second from the start)
  double value = 0;   // G at the peak, the strongest fall in km/h per second, the G at a trigger
  bool operator==(const TelemetryEvent&) const = default;
};

// The events of the first `sampleCount` samples of a track (clamped to the track's capacity),
// in time order. A G event is a run of samples above the threshold, reported at its peak; runs
// less than a second apart are one event. A hard braking is a run of one-second windows whose
// speed (with a fix in every sample, a single-sample glitch smoothed away) fell by more than the
// threshold, starting at MinMovingKmh or above; it is reported at the last sample still at its
// starting speed (within a tenth of a second's fall at the threshold). Samples without a fix
// never count; across a gap of at most two seconds without a fix two runs are one braking only
// when the speed kept falling that fast through the gap. An event recording adds its trigger at
// preEventSeconds (within the samples).
std::vector<TelemetryEvent> DetectEvents(const TelemetryTrack& track, int sampleCount,
                                         const EventThresholds& thresholds, bool eventRecording);

// Where N (direction +1) and Shift+N (-1) land from a position (tenths of a second): one second
// before the next event that lies beyond the position plus that second, or before the last event
// whose landing lies at least a second before the position; the landing is never before the
// start. Nothing when no event is left in that direction.
inline constexpr int EventLeadTenths = 10;
std::optional<int> EventLanding(const std::vector<TelemetryEvent>& events, int positionTenths, int direction);

// The recorder's naming rule for event recordings: the file name holds "G20".
bool IsEventRecordingName(std::string_view fileName);

// "g", "braking", "trigger": the names the command line and the state file use.
const char* EventKindName(EventKind kind);

// The camera clock of a sample as "YYYY/MM/DD hh:mm:ss.d": the first sample whose date-time is
// complete gives the clock of the recording's start (whole seconds), each sample adds a tenth.
// Empty when no sample has a complete date-time.
std::string CameraClockAt(const TelemetryTrack& track, int sampleCount, int sample);

// Miles per hour of a speed in km/h: everything is kept in km/h and converted only for display.
inline constexpr double KmhPerMile = 1.609344;
inline double KmhToMph(double kmh) { return kmh / KmhPerMile; }
// A speed in km/h shown in the chosen unit.
inline double SpeedInUnit(double kmh, bool mph) { return mph ? KmhToMph(kmh) : kmh; }
// The unit written after a speed: " km/h" or " mph".
inline const char* SpeedUnitText(bool mph) { return mph ? " mph" : " km/h"; }

}  // namespace korvane
