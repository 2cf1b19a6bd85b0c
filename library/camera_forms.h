#pragma once
// The name and folder forms of other cameras' cards: each form tells from a recording's name
// (and, where the name does not say it, from its folders) when the recording started, in which
// mode it was made and which camera of the car (the channel) made it.
//
// The forms (numbers as in CameraForm):
//  1 DatedSequence    "2023_0101_120000_0001F.MP4", an optional mode letter before the channel
//                     (P parking, E event; channels F, R, T telephoto, I interior), in DCIM/Movie
//                     with locked files in DCIM/Movie/RO; also "20230101120000_000001.MP4"
//                     (front unless a channel letter follows). .MP4, .MOV or .TS.
//  2 ModeChannel      "20230101_120000_NF.mp4": mode N normal, E event, P parking, M manual (an
//                     optional I after it), channel F, R, I.
//  3 UnderscoredDate  "2023_01_01_120000_00_F.MP4" (00 or 02) in front_norm/, rear_emer/, ...
//  4 PrefixedStamp    "REC_2023_01_01_12_00_00_F.MP4" (REC, EVT, MAN, PARK) in cont_rec/, ...
//  5 DashedStamp      "NO20230101-120000-000001F.MP4" (NO, EV, PA; rear B or R), also in
//                     Normal/Front, Normal/Back.
//  6 LetteredChannel  "20230101_120000_0001_N_A.MP4" (mode N, E, P, M; channels A, B, C).
//  7 ShortYear        "230101_120000_001_FH.MP4" (channel B, F or R; H or L).
//  8 ClipFolders      "RecentClips/2023-01-01_12-00-00-front.mp4", and clips in
//                     SavedClips/<stamp>/ and SentryClips/<stamp>/ (cameras front, back,
//                     left_repeater, right_repeater, left_pillar, right_pillar).
//  9 ExportFolder     "20230101-120000_20s/clip.MP4": a moment this viewer exported, started at
//                     In; listed with the saved recordings.
// Extensions are compared without regard to case. The channel letter is not part of a
// moment's identity: the channels of one moment share its start time (see camera_moments.h).
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

namespace korvane {

enum class CameraForm {
    DatedSequence = 1,
    ModeChannel,
    UnderscoredDate,
    PrefixedStamp,
    DashedStamp,
    LetteredChannel,
    ShortYear,
    ClipFolders,
    ExportFolder,
};

enum class CameraMode { Normal, Parking, Recent, Event, Locked, Manual, Saved, Sentry };

// The group a mode's recordings are listed in: kGroupNormal for normal, parking and recent
// recordings, kGroupEvent for the others.
int GroupOfMode(CameraMode mode);
// "normal", "parking", "recent", "event", "locked", "manual", "saved", "sentry".
const char* ModeWord(CameraMode mode);

struct FormName {
    CameraForm form = CameraForm::DatedSequence;
    qint64 start = 0;            // seconds since 1970-01-01 00:00:00 of the camera's clock
    CameraMode mode = CameraMode::Normal;
    QChar channel;               // F front, R rear, T telephoto, I interior, A/B/C, ...
    int sequence = -1;           // the number the name carries, -1 when it has none
};

// Parses a recording's path relative to the folder scanned ("DCIM/Movie/RO/x.MP4"; '/' between
// folders). Nothing when the name follows none of the forms, or names an impossible time.
std::optional<FormName> ParseFormName(QStringView relativePath);
// The same for a bare name in the folders `foldersLower` (outermost first, lower case).
std::optional<FormName> ParseFormName(QStringView name, const QStringList& foldersLower);

// The clip of an export folder: `name` is "clip.MP4" and `folderLower` the folder that holds it
// ("YYYYMMDD-hhmmss_<seconds>s", "-2" and on when the name was taken). Asked with the scanned
// folder's own name too, so that an export folder opened by itself shows its clip.
std::optional<FormName> ParseExportClip(QStringView name, QStringView folderLower);

// The order in which the channels of a form stand in a moment; the first one present is the
// moment's cell ("FRTI", "ABC", ...).
QStringView ChannelOrder(CameraForm form);

// "YYYY/MM/DD hh:mm:ss" of a start time.
QString StartText(qint64 start);

} // namespace korvane
