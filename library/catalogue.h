#pragma once
// The recording catalogue of the folder being shown: the folders, the scanned lists of both
// groups, the names that received a thumbnail cell, the names whose thumbnail could not be
// made, the names shown as damaged (cut by power loss, no picture possible), and the byte totals
// the backup compares with the free space of its destination.
#include "library/camera_moments.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace korvane {

// Wherever a group is passed as a number, 1 means Normal and 0 means Event.
enum class RecordingKind { Event = 0, Normal = 1 };
constexpr int kGroupEvent = 0;
constexpr int kGroupNormal = 1;

struct RecordingCatalogue {
    QString recordingFolder;   // folder being shown, no trailing separator
    QString programFolder;     // start directory, never changed
    QString workingFolder;     // thumbnails, side-car files, FileReport.log; empty when unusable

    QStringList normalFiles, eventFiles;       // scan result, time-stamp order
    QStringList normalShown, eventShown;       // entry i is shown in cell i of its grid
    QStringList normalMissing, eventMissing;   // names whose thumbnail was never made
    QStringList normalDamaged, eventDamaged;   // shown names that are cut recordings (no picture)
    std::uint64_t normalTotalBytes = 0;
    std::uint64_t eventTotalBytes = 0;

    int currentGroup = kGroupNormal;  // the grid shown: 1 Normal, 0 Event

    // Another camera's card (none of the names above found): its moments by their cell's name,
    // which is the moment's path relative to recordingFolder. Empty for the camera's own card.
    QHash<QString, CameraMoment> moments;

    QStringList& Files(int group) { return group == kGroupNormal ? normalFiles : eventFiles; }
    QStringList& Shown(int group) { return group == kGroupNormal ? normalShown : eventShown; }
    QStringList& Missing(int group) { return group == kGroupNormal ? normalMissing : eventMissing; }
    const QStringList& Shown(int group) const { return group == kGroupNormal ? normalShown : eventShown; }
    QStringList& Damaged(int group) { return group == kGroupNormal ? normalDamaged : eventDamaged; }
    const QStringList& Damaged(int group) const { return group == kGroupNormal ? normalDamaged : eventDamaged; }
};

// Puts another camera's card into the catalogue: the cells' names into both groups' lists (time
// order), the sizes of all channels into the totals, the moments by their cell's name.
void TakeCameraCard(const CameraCard& card, RecordingCatalogue& catalogue);
// The caption of another camera's moment: date and time as CaptionForName gives them, and the
// small letters of its other channels ("2023.01.01\r\n12:00:00 ri"); empty for any other name.
QString MomentCaption(const RecordingCatalogue& catalogue, const QString& name);

// A recording is named by its bare file name (another camera's by its path below the folder
// shown; the files the viewer makes of it in the working folder are named by that path with
// "%" written "%25" and "/" written "%2F"); its stem is the name without its last four
// characters ("20230101120000.MP4" -> "20230101120000").
QString RecordingStem(const QString& name);
// The name as one file name: unchanged without a "/", else as said above.
QString FlatName(const QString& name);
// "<recordingFolder>/<name>"
QString RecordingPath(const QString& recordingFolder, const QString& name);
// "<workingFolder>/<stem>.bmp"
QString ThumbnailPath(const QString& workingFolder, const QString& name);
// "<workingFolder>/<name with its last three characters replaced by GPS>"
QString SidecarPath(const QString& workingFolder, const QString& name);
// "<workingFolder>/<stem>_repaired.MP4": where the viewer writes the repaired copy of a cut
// recording (never on the card).
QString RepairedPath(const QString& workingFolder, const QString& name);
// "<workingFolder>/<stem>_repaired.bmp": the picture of a repaired copy.
QString RepairedPicturePath(const QString& workingFolder, const QString& name);

} // namespace korvane
