#include "library/recording_library.h"
#include "library/cell_layout.h"
#include "library/library_texts.h"
#include "library/recording_scan.h"
#include "library/working_folder.h"
#include "kernel/playback_channel.h"
#include "mp4parse/load_telemetry.h"
#include "platform/file_name_bytes.h"
#include "platform/message_box.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <exception>

namespace korvane {

RecordingLibrary::RecordingLibrary(LibraryHost& host, double displayScale, QWidget* paneParent)
    : QObject(paneParent), host_(host), pane_(new RecordingsPane(displayScale, paneParent)), pass_(catalogue_, *this)
{
    tmFileRun_.setSingleShot(true);
    tmFileRun_.setInterval(100);
    connect(&tmFileRun_, &QTimer::timeout, this, &RecordingLibrary::tmFileRunTimer);
    for (int g : {kGroupNormal, kGroupEvent})
        connect(pane_->View(g).Grid(), &ThumbnailGrid::cellDoubleClicked, this, &RecordingLibrary::CellDoubleClicked);
}

RecordingLibrary::~RecordingLibrary() = default;

void RecordingLibrary::SetFolders(const QString& programFolder, const QString& recordingFolder)
{
    catalogue_.programFolder = programFolder;
    catalogue_.recordingFolder = recordingFolder;
}

bool RecordingLibrary::PrepareWorkingFolder()
{
    return korvane::PrepareWorkingFolder(catalogue_.programFolder, catalogue_.workingFolder);
}

bool RecordingLibrary::PrepareWorkingFolder(const QString& cacheHome)
{
    return korvane::PrepareWorkingFolder(catalogue_.programFolder, cacheHome, catalogue_.workingFolder);
}

void RecordingLibrary::OpenRecordingFolder(const QString& folder)
{
    // Absolute, so that no path handed to the tool can be taken for an option.
    catalogue_.recordingFolder = folder.isEmpty() ? folder : QDir(folder).absolutePath();
    for (int g : {kGroupNormal, kGroupEvent}) {
        pane_->View(g).HideBar();
        ClearGrid(*pane_->View(g).Grid());
    }
    ScanRecordings(catalogue_.recordingFolder, kGroupNormal, catalogue_.normalFiles, catalogue_.normalTotalBytes);
    ScanRecordings(catalogue_.recordingFolder, kGroupEvent, catalogue_.eventFiles, catalogue_.eventTotalBytes);
    catalogue_.normalShown.clear();
    catalogue_.eventShown.clear();
    catalogue_.normalMissing.clear();
    catalogue_.eventMissing.clear();
    pass_.Start();  // ends the tool processes of an earlier pass first
    SelectGroup(kGroupNormal);
}

bool RecordingLibrary::ChooseRecordingFolder(QWidget* parent, QString& folder)
{
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Camera files are named ".MP4"; file names are case-sensitive here, so both spellings are listed.
    dialog.setNameFilter(QStringLiteral("Film(mp4) (*.mp4 *.MP4)"));
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.selectFile(QStringLiteral("MP4"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    // The folder of the chosen file ("/" for a file at the root).
    folder = QFileInfo(dialog.selectedFiles().constFirst()).absolutePath();
    return true;
}

void RecordingLibrary::OpenFolderCommand()
{
    host_.StopPlayback();
    QString folder = catalogue_.recordingFolder;
    if (!ChooseRecordingFolder(host_.MainWindow(), folder))
        return;
    OpenChosenFolder(folder);
}

void RecordingLibrary::OpenChosenFolder(const QString& folder)
{
    host_.PrepareMapsForNewFolder();
    host_.SetDataMenusEnabled(false);
    KillStaleEngines(host_.CurrentChannel());
    for (int g : {kGroupNormal, kGroupEvent})
        pane_->View(g).BarWidget()->SetPosition(0);
    SetGridsReady(false);
    host_.SetViewerIdle(false);
    ResetViewer(true, true, true, true, false);
    ReleaseChannel(host_.CurrentChannel());
    // No tool may still write pictures while the working folder is emptied.
    pass_.Stop();
    PurgeWorkingFolder(catalogue_.workingFolder);
    OpenRecordingFolder(folder);
}

bool RecordingLibrary::CellPaths(QWidget* control, ThumbnailCell** cellOut, QString* mp4Path,
                                 QString* sidecarPath) const
{
    ThumbnailCell* cell = ThumbnailCell::CellOf(control);
    if (!cell || cell->IsEmpty())
        return false;
    if (cellOut)
        *cellOut = cell;
    if (mp4Path)
        *mp4Path = RecordingPath(catalogue_.recordingFolder, cell->FileName());
    if (sidecarPath)
        *sidecarPath = SidecarPath(catalogue_.workingFolder, cell->FileName());
    return true;
}

QString RecordingLibrary::WindowCaption() const
{
    QWidget* w = host_.MainWindow();
    return w && !w->windowTitle().isEmpty() ? w->windowTitle() : QStringLiteral("Korvane");
}

bool RecordingLibrary::OpenRecordingFromCell(QWidget* control)
{
    host_.SetViewerIdle(false);
    host_.ShowTimePanelPerMenu();
    PlaybackChannel& channel = host_.CurrentChannel();
    channel.currentSample = TelemetrySample{};
    ThumbnailCell* cell = nullptr;
    QString mp4, sidecar;
    if (!CellPaths(control, &cell, &mp4, &sidecar)) {
        host_.StartProcessFinish();
        return false;
    }
    if (!IsRegularFileName(mp4)) {
        ShowMessageBox(WindowCaption(), FileNotFoundText(), BoxIcon::Warning);
        host_.StartProcessFinish();
        return false;
    }
    channel.cell = cell;
    channel.mediaPath = mp4;
    channel.sidecarPath = sidecar;
    try {
        LoadTelemetry(EncodeFileNameBytes(mp4).toStdString(), EncodeFileNameBytes(sidecar).toStdString(),
                      host_.TelemetryParser(), channel.lines, channel.track, host_.GpsSeen());
    } catch (...) {
        // A recording whose telemetry cannot be read still plays, without telemetry.
        channel.lines.clear();
        channel.track.Clear();
    }
    if (!LaunchKernel(channel, mp4, cell)) {
        // The kernel refuses a path it would have to cut (it would name another file); without
        // a slot (the block could not be opened) nothing can play at all.
        channel.cell = nullptr;
        const QString key = channel.slot ? QStringLiteral("Library.PathTooLong") : QStringLiteral("Library.NoPlaybackChannel");
        ShowMessageBox(WindowCaption(), LibraryText(key), BoxIcon::Warning);
        host_.StartProcessFinish();
        return false;
    }
    host_.StartWaitReady();
    return true;
}

void RecordingLibrary::SelectGroup(int group)
{
    catalogue_.currentGroup = group;
    if (group != kGroupNormal && group != kGroupEvent)
        return;
    host_.ShowGroupSelectors(group);
    pane_->ShowGroup(group);
}

void RecordingLibrary::GroupPictureClicked(int group) { SelectGroup(group); }

void RecordingLibrary::GroupWordClicked(int group)
{
    if (host_.ViewerIdle())
        SelectGroup(group);
}

void RecordingLibrary::ClearHighlight()
{
    for (int g : {kGroupNormal, kGroupEvent})
        for (ThumbnailCell* c : pane_->View(g).Grid()->Cells())
            c->SetCaptionColor(Qt::white);
}

bool RecordingLibrary::HighlightCell(QWidget* control, bool scroll)
{
    ThumbnailCell* cell = ThumbnailCell::CellOf(control);
    if (!cell || cell->IsEmpty())
        return false;
    ClearHighlight();
    cell->SetCaptionColor(QColor(255, 0, 0));
    if (scroll) {
        for (int g : {kGroupNormal, kGroupEvent}) {
            FileGroupView& view = pane_->View(g);
            const int i = view.Grid()->IndexOf(cell, int(catalogue_.Shown(g).size()));
            if (i >= 0) {
                view.SetPositionAndScroll(i / kGridColumns);
                break;
            }
        }
    }
    return true;
}

ThumbnailCell* RecordingLibrary::NextCell(ThumbnailCell* cell) const
{
    for (int g : {kGroupNormal, kGroupEvent}) {
        ThumbnailGrid* grid = pane_->View(g).Grid();
        const int shown = int(catalogue_.Shown(g).size());
        const int i = grid->IndexOf(cell, shown);
        if (i >= 0)
            return i + 1 < shown ? grid->Cell(i + 1) : nullptr;
    }
    return nullptr;
}

void RecordingLibrary::ResetViewer(bool video, bool maps, bool telemetry, bool buttons, bool grids)
{
    if (video)
        host_.ResetVideo();
    if (telemetry)
        host_.ResetTelemetry(maps);
    if (buttons)
        host_.ResetButtons();
    if (grids) {
        host_.ShowGroupSelectors(-1);
        pane_->ShowGroup(kGroupNormal);
        SetFileBarsToTop();
    }
}

void RecordingLibrary::SetFileBarsToTop()
{
    for (int g : {kGroupNormal, kGroupEvent})
        pane_->View(g).SetPositionAndScroll(0);
}

void RecordingLibrary::SetGridsReady(bool ready)
{
    const Qt::CursorShape shape = ready ? Qt::ArrowCursor : Qt::BusyCursor;
    for (int g : {kGroupNormal, kGroupEvent}) {
        ThumbnailGrid* grid = pane_->View(g).Grid();
        grid->setCursor(shape);
        const int shown = qMin(int(catalogue_.Shown(g).size()), int(grid->Cells().size()));
        for (int i = 0; i < shown; ++i) {
            ThumbnailCell* c = grid->Cell(i);
            c->setCursor(shape);
            c->Image()->setCursor(shape);
            c->Caption()->setCursor(shape);
            c->SetReady(ready);
        }
    }
}

void RecordingLibrary::CellDoubleClicked(ThumbnailCell* cell)
{
    fileRunTicks_ = 0;
    host_.HaltPlayerForOpen();
    if (!host_.ViewerIdle())
        return;
    ThumbnailCell* found = nullptr;
    if (!CellPaths(cell, &found, nullptr, nullptr))
        return;
    host_.SetSelectedCell(found);
    PlaybackChannel& channel = host_.CurrentChannel();
    if (found == channel.cell) {  // its recording is loaded: just play it
        host_.StartPlayback();
        HighlightCell(found, false);
        return;
    }
    pendingCell_ = found;
    HighlightCell(found, false);
    if (tmFileRun_.isActive())
        return;
    channel.cell = nullptr;
    KillStaleEngines(channel);
    host_.StopPlayback();
    ResetViewer(true, false, true, true, false);
    tmFileRun_.start();
}

void RecordingLibrary::tmFileRunTimer()
{
    if (++fileRunTicks_ < 5) {
        tmFileRun_.start();
        return;
    }
    host_.SetViewerIdle(false);
    SetGridsReady(false);
    if (!OpenRecordingFromCell(pendingCell_)) {
        host_.SetViewerIdle(true);
        SetGridsReady(true);
    }
}

void RecordingLibrary::Shutdown()
{
    tmFileRun_.stop();
    pass_.Stop();
    PurgeWorkingFolder(catalogue_.workingFolder);
}

void RecordingLibrary::ShowThumbnail(int group, const QStringList& shown, const QString& bmpPath)
{
    korvane::ShowThumbnail(*pane_->View(group).Grid(), shown, bmpPath);
}

void RecordingLibrary::UpdateFileBar(int group, int shownCount)
{
    pane_->View(group).UpdateForShownCount(shownCount);
}

void RecordingLibrary::ShowOverLimitNotice()
{
    host_.ShowInformation2(LibraryText(QStringLiteral("Main.Info.OverMaxFile.Caption")),
                           LibraryText(QStringLiteral("Main.Info.Over240MaxFile.Caption")));
}

void RecordingLibrary::PassFinished()
{
    if (catalogue_.normalShown.isEmpty() && !catalogue_.eventShown.isEmpty())
        SelectGroup(kGroupEvent);
    SetGridsReady(true);
    host_.StartProcessFinish();
    ResetViewer(true, true, true, true, false);
    host_.SetDataMenusEnabled(true);
    SetFileBarsToTop();
}

} // namespace korvane
