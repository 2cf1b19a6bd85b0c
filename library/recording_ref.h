#pragma once
// How the viewer names a recording of the card: its group, its place in that group's grid and
// its bare file name. A small value, passed between the library, the player and the displays
// instead of any widget.
#include <QMetaType>
#include <QString>

namespace korvane {

struct RecordingRef {
    int group = -1;   // 1 Normal, 0 Event; -1 names no recording
    int index = -1;   // cell of its group's grid
    QString name;     // bare file name, e.g. "20230101120000.MP4"

    bool IsValid() const { return group >= 0 && index >= 0 && !name.isEmpty(); }
    bool operator==(const RecordingRef&) const = default;
};

} // namespace korvane

Q_DECLARE_METATYPE(korvane::RecordingRef)
