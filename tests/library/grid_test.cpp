// The grids, their bars and the cell operations on the offscreen platform.
#include "library/library_texts.h"
#include "library/recording_library.h"
#include "dialog_answer.h"
#include "test_host.h"
#include "test_recordings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWheelEvent>

using namespace korvane;
using namespace korvane::test;

namespace {
class GridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMessageSink(&messages);
        library = std::make_unique<RecordingLibrary>(host, 1.0, &host.window);
        library->SetFolders(root.path(), root.path());
        ASSERT_TRUE(library->PrepareWorkingFolder(cache.path()));
        library->Catalogue().recordingFolder = root.path();
        library->Pane()->resize(library->Pane()->PreferredSize());
        host.window.resize(800, 600);
        host.window.show();
    }
    void TearDown() override
    {
        library.reset();
        SetMessageSink(nullptr);
    }

    // Shows `count` recordings of a group as the thumbnail pass would, with a real picture.
    void Fill(int group, int count, bool makeFiles = true)
    {
        QImage picture(80, 60, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QStringList& shown = library->Catalogue().Shown(group);
        for (int i = 0; i < count; ++i) {
            const QString name = StampName(i, group == kGroupEvent ? "G" : "");
            const QString bmp = ThumbnailPath(library->Catalogue().workingFolder, name);
            ASSERT_TRUE(picture.save(bmp, "BMP"));
            if (makeFiles) {
                QFile f(root.path() + "/" + name);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            }
            library->Catalogue().Files(group).append(name);
            shown.append(name);
            ShowThumbnail(library->Grid(group), shown, bmp);
            library->View(group).UpdateForShownCount(int(shown.size()));
        }
    }

    ThumbnailCell* Cell(int group, int i) { return library->Grid(group).Cell(i); }
    int ScrollValue(int group) { return library->View(group).ScrollBox()->verticalScrollBar()->value(); }

    void SendWheel(QWidget* target, int delta)
    {
        QWheelEvent e(QPointF(5, 5), target->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &e);
    }

    TestHost host;
    RecordingMessages messages;
    QTemporaryDir cache, root;
    std::unique_ptr<RecordingLibrary> library;
};
} // namespace

TEST_F(GridTest, BuiltGridsHold240CellsAtTheScaleGeometry)
{
    for (int g : {kGroupNormal, kGroupEvent}) {
        ThumbnailGrid& grid = library->Grid(g);
        ASSERT_EQ(grid.Cells().size(), 240);
        EXPECT_EQ(grid.height(), 80 * 100 + 10);
        EXPECT_EQ(grid.Cell(4)->geometry().top(), 100);
        EXPECT_EQ(grid.Cell(4)->height(), 100);
        EXPECT_EQ(grid.Cell(0)->Image()->geometry(), QRect(5, 8, 96, 92));
        EXPECT_EQ(grid.Cell(0)->Caption()->geometry(), QRect(22, 70, 77, 40));
        EXPECT_EQ(grid.Cell(0)->Caption()->font().pointSize(), 8);
    }
    RecordingsPane scaled(1.75);
    EXPECT_EQ(scaled.PreferredSize(), QSize(3 * 192 + 10, 2 * 175 + 5));
    EXPECT_EQ(scaled.Normal().Grid()->height(), 80 * 175 + 10);
    EXPECT_EQ(scaled.Normal().Grid()->Cell(0)->Image()->geometry(), QRect(9, 14, 168, 161));
}

TEST_F(GridTest, ShowThumbnailFillsTheLastCellWithPictureAndCaption)
{
    Fill(kGroupEvent, 2);
    ThumbnailCell* c = Cell(kGroupEvent, 1);
    EXPECT_FALSE(c->IsEmpty());
    EXPECT_EQ(c->FileName(), StampName(1, "G"));
    EXPECT_EQ(c->Caption()->text(), "2023.01.01\n12:00:01");
    EXPECT_EQ(c->CaptionColor(), QColor(Qt::white));
    // The picture sits inside the frame; the caption band below it is black.
    const QImage canvas = c->Image()->pixmap().toImage();
    EXPECT_EQ(canvas.pixelColor(48, 30), QColor(Qt::darkCyan));
    EXPECT_EQ(canvas.pixelColor(48, 80), QColor(Qt::black));
    EXPECT_TRUE(Cell(kGroupEvent, 2)->IsEmpty());

    ClearGrid(library->Grid(kGroupEvent));
    EXPECT_TRUE(c->IsEmpty());
    EXPECT_TRUE(c->isHidden());
    EXPECT_EQ(c->cursor().shape(), Qt::BusyCursor);
}

TEST_F(GridTest, HighlightCellOnAnEmptyCellReturnsFalseAndKeepsTheHighlight)
{
    Fill(kGroupNormal, 4);
    EXPECT_TRUE(library->HighlightCell(Cell(kGroupNormal, 1)->Caption(), false));
    EXPECT_EQ(Cell(kGroupNormal, 1)->CaptionColor(), QColor(255, 0, 0));
    EXPECT_FALSE(library->HighlightCell(Cell(kGroupNormal, 7), true));
    EXPECT_FALSE(library->HighlightCell(&host.window, true));  // not a cell at all
    EXPECT_EQ(Cell(kGroupNormal, 1)->CaptionColor(), QColor(255, 0, 0));
    EXPECT_EQ(library->View(kGroupNormal).Bar().position, 0);
    // Another cell takes the highlight over.
    EXPECT_TRUE(library->HighlightCell(Cell(kGroupNormal, 3)->Image(), false));
    EXPECT_EQ(Cell(kGroupNormal, 1)->CaptionColor(), QColor(Qt::white));
    EXPECT_EQ(Cell(kGroupNormal, 3)->CaptionColor(), QColor(255, 0, 0));
}

TEST_F(GridTest, HighlightCellScrollsItsRowIntoView)
{
    Fill(kGroupNormal, 30);  // 10 rows, range 9
    Fill(kGroupEvent, 12);   // 4 rows, range 3
    EXPECT_TRUE(library->HighlightCell(Cell(kGroupNormal, 22), true));
    EXPECT_EQ(library->View(kGroupNormal).Bar().position, 7);
    EXPECT_EQ(ScrollValue(kGroupNormal), 700);
    EXPECT_TRUE(library->HighlightCell(Cell(kGroupEvent, 11), true));
    EXPECT_EQ(library->View(kGroupEvent).Bar().position, 3);
    EXPECT_EQ(ScrollValue(kGroupEvent), 300);
    EXPECT_EQ(Cell(kGroupNormal, 22)->CaptionColor(), QColor(Qt::white));
}

TEST_F(GridTest, NextRecordingAndTheRefsAndPathsOfCells)
{
    Fill(kGroupNormal, 3);
    Fill(kGroupEvent, 2);
    auto ref = [&](int group, int i) { return library->RefOf(Cell(group, i)); };
    EXPECT_EQ(library->NextRecording(ref(kGroupNormal, 0)), ref(kGroupNormal, 1));
    EXPECT_FALSE(library->NextRecording(ref(kGroupNormal, 2)).IsValid());  // last shown cell
    EXPECT_EQ(library->NextRecording(ref(kGroupEvent, 0)), ref(kGroupEvent, 1));
    EXPECT_FALSE(library->NextRecording(ref(kGroupEvent, 1)).IsValid());
    EXPECT_FALSE(library->NextRecording(ref(kGroupEvent, 5)).IsValid());

    for (QWidget* control : {static_cast<QWidget*>(Cell(kGroupEvent, 1)), static_cast<QWidget*>(Cell(kGroupEvent, 1)->Image()),
                             static_cast<QWidget*>(Cell(kGroupEvent, 1)->Caption())}) {
        const RecordingRef r = library->RefOf(control);
        ASSERT_TRUE(r.IsValid());
        EXPECT_EQ(r, (RecordingRef{kGroupEvent, 1, StampName(1, "G")}));
        EXPECT_EQ(library->CellOf(r), Cell(kGroupEvent, 1));
        EXPECT_EQ(library->MediaPathOf(r), root.path() + "/" + StampName(1, "G"));
        EXPECT_EQ(library->SidecarPathOf(r),
                  library->Catalogue().workingFolder + "/" + RecordingStem(StampName(1, "G")) + ".GPS");
    }
    EXPECT_FALSE(library->RefOf(Cell(kGroupEvent, 2)).IsValid());  // empty cell
    EXPECT_FALSE(library->RefOf(library->Pane()).IsValid());       // not a cell
    // A ref whose cell now shows another recording names nothing.
    EXPECT_EQ(library->CellOf(RecordingRef{kGroupNormal, 1, StampName(7)}), nullptr);
    EXPECT_EQ(library->CellOf(RecordingRef{kGroupNormal, 900, StampName(1)}), nullptr);
}

// Continuous play's neighbour rule both ways: the next or previous cell of the same group that
// can be played; cut recordings without a repaired copy are passed over, the group's ends end it.
TEST_F(GridTest, NextAndPreviousRecordingPassOverCutOnesAndStopAtTheGroupsEnds)
{
    Fill(kGroupNormal, 6);
    Fill(kGroupEvent, 3);
    for (auto [group, i] : {std::pair{kGroupNormal, 2}, std::pair{kGroupNormal, 3}, std::pair{kGroupEvent, 0}})
        Cell(group, i)->ShowDamaged(Cell(group, i)->FileName(), QStringLiteral("cut"));
    ASSERT_TRUE(library->IsDamaged(library->RefOf(Cell(kGroupNormal, 2))));
    auto ref = [&](int group, int i) { return library->RefOf(Cell(group, i)); };
    struct Case {
        int group, from, step, expected;  // expected -1: none
    };
    const Case cases[] = {
        {kGroupNormal, 0, 1, 1},   {kGroupNormal, 1, -1, 0},
        {kGroupNormal, 1, 1, 4},   {kGroupNormal, 4, -1, 1},   // over the two cut ones
        {kGroupNormal, 2, 1, 4},   {kGroupNormal, 3, -1, 1},   // from a cut one
        {kGroupNormal, 5, 1, -1},  {kGroupNormal, 0, -1, -1},  // the group's ends
        {kGroupEvent, 2, -1, 1},   {kGroupEvent, 1, -1, -1},   // only a cut one before it
        {kGroupEvent, 2, 1, -1},                               // never into the other group
    };
    for (const Case& c : cases) {
        const RecordingRef from = ref(c.group, c.from);
        const RecordingRef got = c.step > 0 ? library->NextRecording(from) : library->PreviousRecording(from);
        EXPECT_EQ(got, c.expected < 0 ? RecordingRef{} : ref(c.group, c.expected))
            << "group " << c.group << " from " << c.from << " step " << c.step;
    }
    // A recording no longer shown where the ref says has no neighbours.
    EXPECT_FALSE(library->PreviousRecording(RecordingRef{kGroupNormal, 4, StampName(9)}).IsValid());
    EXPECT_FALSE(library->PreviousRecording(RecordingRef{kGroupNormal, 900, StampName(4)}).IsValid());
}

TEST_F(GridTest, WheelMovesOneRowPerMessageOverTheGrid)
{
    Fill(kGroupNormal, 33);  // 11 rows: range 10
    FileGroupView& v = library->View(kGroupNormal);
    ASSERT_EQ(v.Bar().maxValue, 10);
    v.SetPositionAndScroll(4);
    // Wheel messages reach the grid's scroll box (a real wheel over a cell propagates there).
    SendWheel(v.ScrollBox()->viewport(), -120);  // towards the user
    EXPECT_EQ(v.Bar().position, 5);
    EXPECT_EQ(ScrollValue(kGroupNormal), 500);
    SendWheel(v.ScrollBox()->viewport(), -960);  // a big delta is still one row
    EXPECT_EQ(v.Bar().position, 6);
    v.SetPositionAndScroll(0);
    v.ScrollBox()->verticalScrollBar()->setValue(37);
    SendWheel(v.ScrollBox()->viewport(), 120);  // away from the user at the top
    EXPECT_EQ(v.Bar().position, 0);
    EXPECT_EQ(ScrollValue(kGroupNormal), 0);
}

TEST_F(GridTest, HoldOnTheTrackRepeatsAndThumbDragScrolls)
{
    Fill(kGroupNormal, 63);  // 21 rows: range 20; container 205 high: thumb 25
    FileGroupView& v = library->View(kGroupNormal);
    ASSERT_EQ(v.Bar().maxValue, 20);
    ASSERT_EQ(v.BarWidget()->Thumb()->height(), 25);
    v.tbFileBackMouseDown(200);
    EXPECT_TRUE(WaitFor([&] { return !v.TrackTimer().isActive(); }, 5000));
    EXPECT_EQ(v.Bar().position, 20);
    EXPECT_EQ(ScrollValue(kGroupNormal), qMin(2000, v.ScrollBox()->verticalScrollBar()->maximum()));
    v.tbFileBackMouseUp();

    v.SetPositionAndScroll(0);
    v.tbFileThumbMouseDown(10);
    v.tbFileThumbMouseMove(10 + 90);  // thumb top 90 of span 180: 10 rows
    v.tbFileThumbMouseUp();
    EXPECT_EQ(v.Bar().position, 10);
    EXPECT_EQ(v.BarWidget()->Thumb()->y(), 90);
    v.tbFileThumbMouseMove(150);  // released: no drag
    EXPECT_EQ(v.Bar().position, 10);
}

TEST_F(GridTest, SelectGroupAndTheSelectors)
{
    library->SelectGroup(kGroupEvent);
    EXPECT_EQ(library->Catalogue().currentGroup, kGroupEvent);
    EXPECT_TRUE(library->View(kGroupNormal).ScrollBox()->isHidden());
    EXPECT_FALSE(library->View(kGroupEvent).ScrollBox()->isHidden());
    EXPECT_FALSE(library->View(kGroupEvent).BarWidget()->isHidden());
    EXPECT_EQ(host.selectors.last(), kGroupEvent);
    host.busy.Set(BusyReason::OpeningRecording);
    library->GroupWordClicked(kGroupNormal);  // words only act while idle
    EXPECT_EQ(library->Catalogue().currentGroup, kGroupEvent);
    library->GroupPictureClicked(kGroupNormal);  // pictures always
    EXPECT_EQ(library->Catalogue().currentGroup, kGroupNormal);
    library->SelectGroup(5);  // only stored
    EXPECT_EQ(library->Catalogue().currentGroup, 5);
    EXPECT_FALSE(library->View(kGroupNormal).ScrollBox()->isHidden());
}

TEST_F(GridTest, ADoubleClickNamesItsRecordingAndEmptyCellsNameNothing)
{
    Fill(kGroupNormal, 3);
    QSignalSpy activated(library.get(), &RecordingLibrary::recordingActivated);
    library->CellDoubleClicked(Cell(kGroupNormal, 1));
    library->CellDoubleClicked(Cell(kGroupNormal, 5));  // empty
    ASSERT_EQ(activated.size(), 1);
    EXPECT_EQ(activated[0][0].value<RecordingRef>(), (RecordingRef{kGroupNormal, 1, StampName(1)}));
    // A real double click on the picture reaches the same signal.
    const QPoint centre = Cell(kGroupNormal, 2)->Image()->rect().center();
    QMouseEvent press(QEvent::MouseButtonDblClick, centre, Cell(kGroupNormal, 2)->Image()->mapToGlobal(centre),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Cell(kGroupNormal, 2)->Image(), &press);
    ASSERT_EQ(activated.size(), 2);
    EXPECT_EQ(activated[1][0].value<RecordingRef>().index, 2);
}

TEST_F(GridTest, TheLibrarysPartOfANewFolderEmptiesTheWorkingFolderAndRestarts)
{
    Fill(kGroupNormal, 2);
    const QString other = root.path() + "/other";
    ASSERT_TRUE(QDir().mkpath(other));
    QSignalSpy opening(library.get(), &RecordingLibrary::folderOpening);
    QSignalSpy finished(library.get(), &RecordingLibrary::passFinished);
    library->BeginFolderChange();
    EXPECT_EQ(opening.size(), 1);
    EXPECT_EQ(host.menus, QList<bool>{false});
    EXPECT_TRUE(host.busy.Has(BusyReason::LoadingFolder));
    EXPECT_FALSE(host.busy.IsIdle());
    EXPECT_FALSE(Cell(kGroupNormal, 0)->IsReady());
    library->OpenChosenFolder(other);
    EXPECT_TRUE(QDir(library->Catalogue().workingFolder).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(library->Catalogue().recordingFolder, other);
    EXPECT_TRUE(library->Catalogue().normalShown.isEmpty());
    EXPECT_TRUE(Cell(kGroupNormal, 0)->IsEmpty());
    ASSERT_TRUE(WaitFor([&] { return host.menus.size() == 2; }, 5000));
    EXPECT_EQ(host.menus.last(), true);
    EXPECT_EQ(finished.size(), 1);
    // The viewer is idle again half a second after the pass.
    EXPECT_TRUE(host.busy.Settling(BusyReason::LoadingFolder));
    EXPECT_TRUE(WaitFor([&] { return host.busy.IsIdle(); }, 2000));
}


TEST_F(GridTest, ChooseRecordingFolderGivesTheChosenFilesFolderOrNothingOnCancel)
{
    const QString card = root.path() + "/card one";
    ASSERT_TRUE(QDir().mkpath(card));
    ASSERT_TRUE(CopyRecordings(card, {StampName(0)}));
    QString folder = root.path();
    {
        DialogAnswer answer(card + "/" + StampName(0));
        EXPECT_TRUE(RecordingLibrary::ChooseRecordingFolder(&host.window, folder));
        EXPECT_EQ(answer.filters, QStringList{"Film(mp4) (*.mp4 *.MP4)"});
    }
    EXPECT_EQ(folder, card);
    {
        DialogAnswer cancel{QString()};
        EXPECT_FALSE(RecordingLibrary::ChooseRecordingFolder(&host.window, folder));
    }
    EXPECT_EQ(folder, card);
}

