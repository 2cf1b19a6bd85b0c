#include "library/recording_library.h"

#include "library/repaired_copy.h"
#include "core/busy_state.h"
#include "library/cell_layout.h"
#include "library/library_log.h"
#include "library/library_texts.h"
#include "library/recording_scan.h"
#include "library/thumbnail_tool.h"
#include "library/working_folder.h"
#include "platform/file_name_bytes.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>


namespace korvane {

RecordingLibrary::RecordingLibrary(LibraryHost& host, double displayScale, QWidget* paneParent)
    : QObject(paneParent), host_(host), pane_(new RecordingsPane(displayScale, paneParent)), pass_(catalogue_, *this)
{
    qRegisterMetaType<RecordingRef>();
    for (int g : {kGroupNormal, kGroupEvent})
        connect(pane_->View(g).Grid(), &ThumbnailGrid::cellDoubleClicked, this, &RecordingLibrary::CellDoubleClicked);
}

RecordingLibrary::~RecordingLibrary() = default;

void RecordingLibrary::SetFolders(const QString& programFolder, const QString& recordingFolder)
{
    catalogue_.programFolder = programFolder;
    catalogue_.recordingFolder = recordingFolder;
}

namespace {
Expected<void, WorkingFolderError> Keep(const Expected<QString, WorkingFolderError>& made, QString& folder)
{
    folder = made.value_or(QString());
    if (!made)
        return Unexpected(made.error());
    return {};
}
} // namespace

Expected<void, WorkingFolderError> RecordingLibrary::PrepareWorkingFolder()
{
    return Keep(korvane::PrepareWorkingFolder(catalogue_.programFolder), catalogue_.workingFolder);
}

Expected<void, WorkingFolderError> RecordingLibrary::PrepareWorkingFolder(const QString& cacheHome)
{
    return Keep(korvane::PrepareWorkingFolder(catalogue_.programFolder, cacheHome), catalogue_.workingFolder);
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
    catalogue_.moments.clear();
    // A folder without any of this camera's names may hold another camera's card.
    if (catalogue_.normalFiles.isEmpty() && catalogue_.eventFiles.isEmpty() && !catalogue_.recordingFolder.isEmpty())
        TakeCameraCard(ScanCameraCard(catalogue_.recordingFolder), catalogue_);
    catalogue_.normalShown.clear();
    catalogue_.eventShown.clear();
    catalogue_.normalMissing.clear();
    catalogue_.eventMissing.clear();
    catalogue_.normalDamaged.clear();
    catalogue_.eventDamaged.clear();
    pass_.Start();  // ends the tool processes of an earlier pass first
    SelectGroup(kGroupNormal);
}

bool RecordingLibrary::ChooseRecordingFolder(QWidget* parent, QString& folder)
{
    // A folder chooser in which the recordings stay visible, so that the user sees which
    // folder holds them; an empty folder can be chosen too.
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, false);
    // Camera files are named ".MP4"; file names are case-sensitive here, so both spellings are listed.
    dialog.setNameFilter(QStringLiteral("Film(mp4) (*.mp4 *.MP4)"));
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    // The chosen folder, or the folder of a recording picked in it ("/" for one at the root).
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    folder = chosen.isDir() ? chosen.absoluteFilePath() : chosen.absolutePath();
    return true;
}

void RecordingLibrary::BeginFolderChange()
{
    emit folderOpening();
    host_.SetDataMenusEnabled(false);
    for (int g : {kGroupNormal, kGroupEvent})
        pane_->View(g).BarWidget()->SetPosition(0);
    SetGridsReady(false);
    host_.Busy().Set(BusyReason::LoadingFolder);
}

void RecordingLibrary::OpenChosenFolder(const QString& folder)
{
    // No tool may still write pictures while the working folder is emptied.
    pass_.Stop();
    PurgeWorkingFolder(catalogue_.workingFolder);
    OpenRecordingFolder(folder);
}

RecordingRef RecordingLibrary::RefOf(QWidget* control) const
{
    ThumbnailCell* cell = ThumbnailCell::CellOf(control);
    if (!cell || cell->IsEmpty())
        return {};
    return RecordingRef{cell->Group(), cell->Index(), cell->FileName()};
}

ThumbnailCell* RecordingLibrary::CellOf(const RecordingRef& ref) const
{
    if (ref.group != kGroupNormal && ref.group != kGroupEvent)
        return nullptr;
    ThumbnailGrid* grid = pane_->View(ref.group).Grid();
    if (ref.index < 0 || ref.index >= int(grid->Cells().size()))
        return nullptr;
    ThumbnailCell* cell = grid->Cell(ref.index);
    return cell && !cell->IsEmpty() && cell->FileName() == ref.name ? cell : nullptr;
}

QString RecordingLibrary::MediaPathOf(const RecordingRef& ref) const
{
    return RecordingPath(catalogue_.recordingFolder, ref.name);
}

QString RecordingLibrary::SidecarPathOf(const RecordingRef& ref) const
{
    // Another camera's moment: its NMEA side-car on the card, else its acceleration records.
    const auto moment = catalogue_.moments.constFind(ref.name);
    if (moment != catalogue_.moments.cend()) {
        const QString& sidecar = moment->gpsSidecar.isEmpty() ? moment->gSidecar : moment->gpsSidecar;
        return sidecar.isEmpty() ? QString() : RecordingPath(catalogue_.recordingFolder, sidecar);
    }
    return SidecarPath(catalogue_.workingFolder, ref.name);
}

bool RecordingLibrary::IsDamaged(const RecordingRef& ref) const
{
    const ThumbnailCell* cell = CellOf(ref);
    return cell && cell->IsDamaged();
}

QString RecordingLibrary::RepairedPathOf(const RecordingRef& ref) const
{
    return catalogue_.workingFolder.isEmpty() ? QString() : RepairedPath(catalogue_.workingFolder, ref.name);
}

QString RecordingLibrary::PlayablePathOf(const RecordingRef& ref) const
{
    if (!IsDamaged(ref))
        return MediaPathOf(ref);
    const QString repaired = RepairedPathOf(ref);
    if (repaired.isEmpty())
        return QString();
    const QString source = MediaPathOf(ref);
    const std::optional<FileIdentity> copyNow = IdentifyFile(EncodeFileNameBytes(repaired));
    const std::optional<FileIdentity> sourceNow = IdentifyFile(EncodeFileNameBytes(source));
    if (!copyNow || !sourceNow)
        return QString();
    const auto checked = checkedCopies_.constFind(repaired);
    if (checked != checkedCopies_.cend() && checked->copy == *copyNow && checked->source == *sourceNow)
        return repaired;
    if (!RepairedCopyBelongsTo(repaired, source))
        return QString();
    checkedCopies_.insert(repaired, CheckedCopy{*copyNow, *sourceNow});
    return repaired;
}

QString RecordingLibrary::WindowCaption() const
{
    QWidget* w = host_.MainWindow();
    return w && !w->windowTitle().isEmpty() ? w->windowTitle() : QStringLiteral("Korvane");
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
    if (host_.Busy().IsIdle())
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

bool RecordingLibrary::HighlightRecording(const RecordingRef& ref, bool scroll)
{
    ThumbnailCell* cell = CellOf(ref);
    return cell && HighlightCell(cell, scroll);
}

RecordingRef RecordingLibrary::NextRecording(const RecordingRef& ref) const { return NeighbourRecording(ref, 1); }

RecordingRef RecordingLibrary::PreviousRecording(const RecordingRef& ref) const { return NeighbourRecording(ref, -1); }

RecordingRef RecordingLibrary::NeighbourRecording(const RecordingRef& ref, int step) const
{
    ThumbnailCell* cell = CellOf(ref);
    if (!cell)
        return {};
    ThumbnailGrid* grid = pane_->View(ref.group).Grid();
    const int shown = int(catalogue_.Shown(ref.group).size());
    const int i = grid->IndexOf(cell, shown);
    if (i < 0)
        return {};
    // A cut recording not repaired yet cannot be played: continuous play goes past it.
    for (int k = i + step; k >= 0 && k < shown; k += step) {
        const RecordingRef next = RefOf(grid->Cell(k));
        if (!next.IsValid() || !PlayablePathOf(next).isEmpty())
            return next;
    }
    return {};
}

void RecordingLibrary::ResetGrids()
{
    host_.ShowGroupSelectors(-1);
    pane_->ShowGroup(kGroupNormal);
    SetFileBarsToTop();
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
    const RecordingRef ref = RefOf(cell);
    if (!ref.IsValid())
        return;
    if (PlayablePathOf(ref).isEmpty())
        emit damagedRecordingActivated(ref);
    else
        emit recordingActivated(ref);
}

void RecordingLibrary::Shutdown()
{
    pass_.Stop();
    PurgeWorkingFolder(catalogue_.workingFolder);
}

void RecordingLibrary::ShowThumbnail(int group, const QStringList& shown, const QString& bmpPath)
{
    korvane::ShowThumbnail(*pane_->View(group).Grid(), shown, bmpPath, MomentCaption(catalogue_, shown.last()));
}

void RecordingLibrary::ThumbnailsCannotBeMade()
{
    if (thumbnailsUnavailableSaid_)
        return;
    thumbnailsUnavailableSaid_ = true;
    emit thumbnailsUnavailable();
}

void RecordingLibrary::ShowDamaged(int group, const QStringList& shown)
{
    ShowDamagedThumbnail(*pane_->View(group).Grid(), shown, MomentCaption(catalogue_, shown.last()));
    if (ThumbnailCell* cell = pane_->View(group).Grid()->Cell(int(shown.size()) - 1))
        ShowRepairedPicture(RefOf(cell));
}

void RecordingLibrary::ShowRepairedPicture(const RecordingRef& ref)
{
    if (!ref.IsValid() || !IsDamaged(ref))
        return;
    const QString repaired = PlayablePathOf(ref);
    if (repaired.isEmpty())
        return;
    const QString picture = RepairedPicturePath(catalogue_.workingFolder, ref.name);
    auto show = [this, ref, picture] {
        if (ThumbnailCell* cell = CellOf(ref); cell && IsUsableThumbnail(picture))
            cell->ShowRepaired(picture);
    };
    if (IsUsableThumbnail(picture)) {
        show();
        return;
    }
    pass_.MakeSinglePicture(repaired, picture, show);
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
    host_.Busy().ClearAfterSettling(BusyReason::LoadingFolder);
    emit passFinished();
    host_.SetDataMenusEnabled(true);
    SetFileBarsToTop();
}

} // namespace korvane
