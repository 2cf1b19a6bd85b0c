#pragma once
// The recordings of another camera's card as moments: the channels one camera set recorded at
// the same time. A moment is a small value (channel letter -> file), never a widget; its cell
// shows the front channel (or the first one of its form's order).
//
// The card is walked below the folder opened, to kMaxDepth folders deep, never through a link,
// looking at most at kMaxEntries entries; the names of every form (camera_forms.h) are taken.
// A moment's channels start within kPairSeconds of each other (a rear camera's file often
// starts a second later); clips of a SavedClips/SentryClips event folder pair only inside it.
// Normal, parking and recent moments go to the Normal group, the others to the Event group,
// each in time order.
#include "library/camera_forms.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace korvane {

struct CameraMoment {
    CameraForm form = CameraForm::DatedSequence;
    CameraMode mode = CameraMode::Normal;
    qint64 start = 0;                 // the cell's start time
    QMap<QChar, QString> channels;    // channel letter -> path relative to the folder opened
    QString gpsSidecar;               // NMEA side-car of the moment (relative), empty when none
    QString gSidecar;                 // per-second acceleration records (.3gf), empty when none
    QString pairFolder;               // the event folder its clips pair in ("" for most forms)
    std::uint64_t bytes = 0;          // sizes of all its channels

    int Group() const { return GroupOfMode(mode); }
    // The channel the cell shows: the first of the form's order present.
    QChar CellChannel() const;
    QString CellName() const { return channels.value(CellChannel()); }
    // The other channels' letters in the form's order, lower case ("ri").
    QString OtherLetters() const;
};

// Another channel of a moment seen from one of its channels' recordings.
struct OtherChannel {
    QChar letter;
    QString path;               // relative to the folder opened
    qint64 startAfterSeconds = 0;  // how far its name's start lies after the recording's
};
// The channels of `moment` other than the one at `relativePath`, in the form's order; empty
// when the moment does not hold that recording or has one channel only.
QList<OtherChannel> OtherChannelsOf(const CameraMoment& moment, const QString& relativePath);

struct CameraCard {
    QList<CameraMoment> normal, event;  // time order
    int filesSeen = 0;                  // recordings of the forms found
    bool listed = true;                 // false when the folder opened could not be listed
    bool truncated = false;             // the walk stopped at one of its limits
};

inline constexpr int kMaxDepth = 3;
inline constexpr int kMaxEntries = 50000;
inline constexpr int kPairSeconds = 2;

// Walks `folder` for recordings of the other cameras' forms.
CameraCard ScanCameraCard(const QString& folder);

// One recording found by the walk (also what tests give the pairing).
struct FormFile {
    QString path;  // relative to the folder opened
    FormName name;
    std::uint64_t bytes = 0;
};
// Pairs files into moments of both groups, each in time order (the walk's second step).
void BuildMoments(QList<FormFile> files, CameraCard& card);

} // namespace korvane
