#pragma once
// N and Shift+N across the recordings of a group: the next or previous event is looked for in
// the open recording first, then in the recordings continuous play would go to (next) or come
// from (previous), passing over those without events. A jump into another recording opens it as
// a double click on its cell does and, once it is ready, lands one second before its first (N)
// or last (Shift+N) event, keeping the player playing or paused as it was.
#include <QObject>
#include <functional>
#include <optional>
#include <vector>

#include "library/recording_ref.h"
#include "mp4parse/telemetry_events.h"

namespace korvane {

class PlaybackController;
class RecordingLibrary;
class TransportKeys;

// Where a jump lands: a recording (the open one or another) and a position in it (tenths).
struct EventJumpTarget {
    RecordingRef ref;
    int tenths = 0;
    bool operator==(const EventJumpTarget&) const = default;
};

// The recording `direction` (+1 next, -1 previous) steps on from a recording; invalid at the end.
using NeighbourOf = std::function<RecordingRef(const RecordingRef&, int direction)>;
// The events of a recording, in time order.
using EventsOf = std::function<std::vector<TelemetryEvent>(const RecordingRef&)>;

// Where N (+1) or Shift+N (-1) goes from `position` in `current` with its `events`: in the
// recording itself as EventLanding has it, else in the nearest neighbour with an event, one
// second before its first (N) or last (Shift+N) event, never before its start. Neighbours are
// asked for their events only as far as the walk goes. Nothing when no event is left that way.
std::optional<EventJumpTarget> FindEventJump(const RecordingRef& current, const std::vector<TelemetryEvent>& events,
                                             int position, int direction, const NeighbourOf& neighbourOf,
                                             const EventsOf& eventsOf);

// The events of a recording of the library, from the telemetry of the file it plays (its side-car
// when there is one), found with `thresholds`; none when it cannot be read.
std::vector<TelemetryEvent> RecordingEvents(const RecordingLibrary& library, const RecordingRef& ref,
                                            const EventThresholds& thresholds);

class EventJumper : public QObject {
    Q_OBJECT
public:
    EventJumper(PlaybackController& player, RecordingLibrary& library, TransportKeys& keys, QObject* parent = nullptr);

    // N (+1) or Shift+N (-1) from the open recording, whose events are `events`; false when no
    // recording is loaded or no event is left that way.
    bool Jump(int direction, const std::vector<TelemetryEvent>& events, const EventThresholds& thresholds);
    // The landing waiting for its recording to be ready, if any.
    const std::optional<EventJumpTarget>& Pending() const { return pending_; }

private:
    void Land();

    PlaybackController& player_;
    RecordingLibrary& library_;
    TransportKeys& keys_;
    std::optional<EventJumpTarget> pending_;
    bool play_ = false;        // the player played when the jump was asked for
    bool activating_ = false;  // the jump itself is opening the recording
};

} // namespace korvane
