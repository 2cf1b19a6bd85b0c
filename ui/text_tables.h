#pragma once
// The rows of the text catalogue: each key with its English built-in text (used when the
// settings file is present but lacks the key or the language's section) and its Japanese
// built-in text (used when there is no settings file at all).
#include <QString>
#include <span>

namespace korvane {

struct TextRow {
    const char* key;        // null for texts that are never read from the file
    const char* english;    // UTF-8
    const char* japanese;   // UTF-8
};

// The fifteen main-window messages, in the order of their buffers.
enum class Info {
    CheckDelete,
    OverMaxFile,
    Over240MaxFile,
    FileDeleting,
    NoExternalDevice,
    CleanupNotCompleted,
    CleanupCompleted,
    CapacityInsufficient,
    FolderAlreadyExists,
    CopyReplace,
    SubdirectoryNotCreated,
    BackupNotCompleted,
    BackupCompleted,
    CopyFinished,
    SavingFile,
};
inline constexpr int kInfoCount = 15;

// Menus, panels and buttons of the main window, in catalogue order.
std::span<const TextRow> MainWindowRows();
// The messages, indexed by Info; keys are "Main.Info.<Name>.Caption".
std::span<const TextRow> MessageRows();
// Titles, labels and buttons of the dialogs, in catalogue order.
std::span<const TextRow> DialogRows();
// Messages of the viewer that the catalogue carries beyond the rows above, in their fixed order.
std::span<const TextRow> ViewerRows();

// The row of a key in any of the tables (compared exactly), or null.
const TextRow* FindTextRow(const QString& key);

// Keys used by the code.
namespace keys {
inline constexpr char kUpdateInformation[] = "Dlg.Update.Information.Caption";
inline constexpr char kPlaybackFailed[] = "Viewer.PlaybackFailed.Caption";
inline constexpr char kPathTooLong[] = "Library.PathTooLong.Caption";
inline constexpr char kRepairTitle[] = "Viewer.Repair.Title.Caption";
inline constexpr char kRepairQuestion[] = "Viewer.Repair.Question.Caption";
inline constexpr char kRepairProgress[] = "Viewer.Repair.Progress.Caption";
inline constexpr char kRepairDone[] = "Viewer.Repair.Done.Caption";
inline constexpr char kRepairNoReference[] = "Viewer.Repair.NoReference.Caption";
inline constexpr char kRepairNothingFound[] = "Viewer.Repair.NothingFound.Caption";
inline constexpr char kRepairFailed[] = "Viewer.Repair.Failed.Caption";
inline constexpr char kSnapshotMenu[] = "Menu.Snapshot.Caption";
inline constexpr char kSnapshotSaved[] = "Viewer.SnapshotSaved.Caption";
inline constexpr char kThumbnailsUnavailable[] = "Viewer.ThumbnailsUnavailable.Caption";
inline constexpr char kSnapshotFailed[] = "Viewer.SnapshotFailed.Caption";
inline constexpr char kPlaybackLost[] = "Viewer.PlaybackLost.Caption";
inline constexpr char kNoRecordingsHint[] = "Viewer.NoRecordings.Caption";
inline constexpr char kSpeedMphMenu[] = "Menu.SpeedMph.Caption";
inline constexpr char kOtherChannelsMenu[] = "Menu.OtherChannels.Caption";
inline constexpr char kChannelLost[] = "Viewer.ChannelLost.Caption";
inline constexpr char kEventG[] = "Chart.Event.G.Caption";
inline constexpr char kEventBraking[] = "Chart.Event.Braking.Caption";
inline constexpr char kEventTrigger[] = "Chart.Event.Trigger.Caption";
inline constexpr char kMarkInMenu[] = "Menu.MarkIn.Caption";
inline constexpr char kMarkOutMenu[] = "Menu.MarkOut.Caption";
inline constexpr char kExportMenu[] = "Menu.Export.Caption";
inline constexpr char kExportTitle[] = "Dlg.Export.Caption";
inline constexpr char kExportRange[] = "Dlg.Export.Range.Caption";
inline constexpr char kExportRecordings[] = "Dlg.Export.Recordings.Caption";
inline constexpr char kExportDestination[] = "Dlg.Export.Destination.Caption";
inline constexpr char kExportChoose[] = "Dlg.Export.Choose.Caption";
inline constexpr char kExportOverlay[] = "Dlg.Export.Overlay.Caption";
inline constexpr char kExportNeighbours[] = "Dlg.Export.Neighbours.Caption";
inline constexpr char kExportStart[] = "Dlg.Export.OK.Caption";
inline constexpr char kExportCancel[] = "Dlg.Export.Cancel.Caption";
inline constexpr char kExportNoDestination[] = "Viewer.Export.NoDestination.Caption";
inline constexpr char kExportOnCard[] = "Viewer.Export.OnCard.Caption";
inline constexpr char kExportNothingShown[] = "Viewer.Export.NothingShown.Caption";
inline constexpr char kExportBusy[] = "Viewer.Export.Busy.Caption";
inline constexpr char kExportProgress[] = "Viewer.Export.Progress.Caption";
inline constexpr char kExportDone[] = "Viewer.Export.Done.Caption";
inline constexpr char kExportStopped[] = "Viewer.Export.Stopped.Caption";
inline constexpr char kExportFailed[] = "Viewer.Export.Failed.Caption";
inline constexpr char kMarkInSet[] = "Viewer.MarkIn.Caption";
inline constexpr char kMarkOutSet[] = "Viewer.MarkOut.Caption";
} // namespace keys

} // namespace korvane
