// N and Shift+N across the recordings of a group; see event_jump.h.
#include "player/event_jump.h"

#include <QTimer>
#include <algorithm>
#include <memory>

#include "library/recording_library.h"
#include "mp4parse/load_telemetry.h"
#include "platform/file_name_bytes.h"
#include "player/playback_controller.h"
#include "player/player_log.h"
#include "player/transport_keys.h"

namespace korvane {

std::optional<EventJumpTarget> FindEventJump(const RecordingRef& current, const std::vector<TelemetryEvent>& events,
                                             int position, int direction, const NeighbourOf& neighbourOf,
                                             const EventsOf& eventsOf)
{
    if (const std::optional<int> here = EventLanding(events, position, direction))
        return EventJumpTarget{current, *here};
    // Each step moves on by at least one cell of a finite grid, so the walk ends.
    for (RecordingRef ref = neighbourOf(current, direction); ref.IsValid(); ref = neighbourOf(ref, direction)) {
        const std::vector<TelemetryEvent> found = eventsOf(ref);
        if (found.empty())
            continue;
        const TelemetryEvent& e = direction > 0 ? found.front() : found.back();
        return EventJumpTarget{ref, std::max(e.sample - EventLeadTenths, 0)};
    }
    return std::nullopt;
}

std::vector<TelemetryEvent> RecordingEvents(const RecordingLibrary& library, const RecordingRef& ref,
                                            const EventThresholds& thresholds)
{
    const QString mp4 = library.PlayablePathOf(ref);
    if (mp4.isEmpty())
        return {};
    Mp4Parser parser;
    auto track = std::make_unique<TelemetryTrack>();
    std::vector<std::string> lines;
    bool gpsSeen = false;
    try {
        LoadTelemetry(EncodeFileNameBytes(mp4).toStdString(),
                      EncodeFileNameBytes(library.SidecarPathOf(ref)).toStdString(), parser, lines, *track, gpsSeen);
    } catch (const std::exception& e) {
        qCWarning(lcPlayer) << "events of" << mp4 << "could not be read:" << e.what();
        return {};
    } catch (...) {
        qCWarning(lcPlayer) << "events of" << mp4 << "could not be read";
        return {};
    }
    return DetectEvents(*track, track->sampleCount, thresholds, IsEventRecordingName(ref.name.toStdString()));
}

EventJumper::EventJumper(PlaybackController& player, RecordingLibrary& library, TransportKeys& keys, QObject* parent)
    : QObject(parent), player_(player), library_(library), keys_(keys)
{
    // The landing belongs to the recording the jump opened: anything else opened meanwhile, a
    // reset (a failed open, another folder) or another recording loading drops it.
    connect(&library_, &RecordingLibrary::recordingActivated, this, [this](const RecordingRef& ref) {
        if (!activating_ && pending_ && pending_->ref != ref)
            pending_.reset();
    });
    connect(&player_, &PlaybackController::playerReset, this, [this] {
        if (!activating_)
            pending_.reset();
    });
    connect(&player_, &PlaybackController::recordingLoaded, this, [this](const LoadedRecording& loaded) {
        if (!pending_)
            return;
        if (pending_->ref != loaded.ref) {
            pending_.reset();
            return;
        }
        // The controller finishes the start (seek parts, idle) after this signal.
        QTimer::singleShot(0, this, &EventJumper::Land);
    });
}

bool EventJumper::Jump(int direction, const std::vector<TelemetryEvent>& events, const EventThresholds& thresholds)
{
    if (!keys_.Loaded())
        return false;
    const RecordingRef current = player_.Current()->ref;
    const std::optional<EventJumpTarget> target = FindEventJump(
        current, events, keys_.PositionTenths(), direction,
        [this](const RecordingRef& ref, int step) {
            return step > 0 ? library_.NextRecording(ref) : library_.PreviousRecording(ref);
        },
        [this, &thresholds](const RecordingRef& ref) { return RecordingEvents(library_, ref, thresholds); });
    if (!target)
        return false;
    if (target->ref == current)
        return keys_.GoTo(target->tenths);
    ThumbnailCell* cell = library_.CellOf(target->ref);
    if (!cell)
        return false;
    qCDebug(lcPlayer) << "event jump into" << target->ref.name << "at" << target->tenths;
    play_ = player_.State() == PlayState::Playing;
    pending_ = target;
    activating_ = true;
    library_.HighlightRecording(target->ref, true);
    library_.CellDoubleClicked(cell);
    activating_ = false;
    return true;
}

void EventJumper::Land()
{
    if (!pending_ || player_.Current()->ref != pending_->ref)
        return;
    const int tenths = pending_->tenths;
    pending_.reset();
    if (!keys_.Loaded()) {
        qCWarning(lcPlayer) << "the recording of an event jump was not ready to land in";
        return;
    }
    if (!play_)
        player_.Pause();
    keys_.GoTo(tenths);
}

} // namespace korvane
