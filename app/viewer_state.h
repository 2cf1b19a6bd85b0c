#pragma once
// What the viewer remembers between runs, in its own state file <XDG config home>/Korvane/
// Korvane.conf (the file that holds the map addresses; never the card's Korvane.ini):
//
//   [Events]
//   GForce=0.4            ; G above this is an event
//   BrakingKmhPerS=12     ; a speed falling faster than this over a second is a hard braking
//   PreEventSeconds=10    ; an event recording's trigger lies this far after its start
//   [Units]
//   SpeedInMph=false      ; Setup > "Speed in mph"
//
// Missing or unreadable values keep their defaults. Saving a value rewrites only its own line
// (or adds it), so the rest of the file, [Maps] with its comments, stays as the user wrote it.
#include <QString>

#include "core/expected.h"
#include "mp4parse/telemetry_events.h"

namespace korvane {

struct ViewerState {
    EventThresholds events;
    bool speedInMph = false;
};

// The state file's path; empty when the system names no configuration folder.
QString ViewerStatePath();

ViewerState LoadViewerState(const QString& path);

enum class StateSaveError { NoPath, CannotWrite };

// Sets `key` of `section` to `value` in the file at `path`, creating the file (and its folder)
// when it does not exist. The error is logged.
Expected<void, StateSaveError> SaveStateValue(const QString& path, const QString& section, const QString& key,
                                              const QString& value);

} // namespace korvane
