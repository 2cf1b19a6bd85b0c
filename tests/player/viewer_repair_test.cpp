// The real viewer on a card holding a recording cut by power loss: its cell shows the damaged
// picture; a double click asks, repairs it into the working folder (never the card) and plays the
// repaired copy in a real kernel; without a complete recording of the same camera it says why.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

#include "app/app_shell.h"
#include "app/recording_repair.h"
#include "app/viewer.h"
#include "library/damaged_picture.h"
#include "library/recording_library.h"
#include "library/repaired_copy.h"
#include "library/thumbnail_cell.h"
#include "mp4repair/reference.h"
#include "player/playback_channel.h"
#include "player/partner_preparation.h"
#include "player/playback_controller.h"
#include "tools/bench_repair/camera_layout.h"
#include "ui/dialog_base.h"
#include "ui/dialog_family.h"
#include "ui/main_window.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {
const QString kFixtures = QStringLiteral(KORVANE_PLAYER_FIXTURES "/card");
const QString kCut = QStringLiteral("20250301100000.MP4");
const QString kReference = QStringLiteral("20250301100100.MP4");

// Where the top-level mdat of `path` begins; -1 when there is none.
qint64 MdatOffset(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (qint64 pos = 0; f.seek(pos);) {
        const QByteArray header = f.read(8);
        if (header.size() < 8)
            return -1;
        if (header.mid(4) == "mdat")
            return pos;
        const quint32 size = quint32(uchar(header[0])) << 24 | quint32(uchar(header[1])) << 16 |
                             quint32(uchar(header[2])) << 8 | quint32(uchar(header[3]));
        if (size < 8)
            return -1;
        pos += size;
    }
    return -1;
}

// A card in a temporary folder: the first fixture recording cut as power loss leaves it (at 60 %
// of its size, or with no media byte at all), and (when asked) a complete recording of the same
// camera beside it.
bool MakeCard(const QTemporaryDir& dir, bool withReference, bool emptyMedia = false)
{
    const QString source = kFixtures + QLatin1Char('/') + kCut;
    const qint64 keep = emptyMedia ? MdatOffset(source) + 8 : QFileInfo(source).size() * 6 / 10;
    std::string error;
    if (keep <= 8 || !camera::CutAsPowerLoss(source.toStdString(), dir.filePath(kCut).toStdString(), uint64_t(keep), error)) {
        ADD_FAILURE() << "cannot cut " << source.toStdString() << ": " << error;
        return false;
    }
    return !withReference || QFile::copy(kFixtures + QLatin1Char('/') + kReference, dir.filePath(kReference));
}

// A card whose cut recording is hostile: the reference's first key frame and then `megabytes` of
// 6-byte IDR pictures, millions of samples that take the repair many seconds to walk, order and
// write; the reference beside it.
bool MakeHostileCard(const QString& folder, int megabytes)
{
    const QString reference = kFixtures + QLatin1Char('/') + kReference;
    repair::Reference ref;
    std::string error;
    if (!repair::LoadReference(reference.toStdString(), ref, error)) {
        ADD_FAILURE() << error;
        return false;
    }
    size_t video = 0;
    while (video < ref.tracks.size() && ref.tracks[video].kind != repair::TrackKind::Video)
        ++video;
    const std::vector<repair::TableSample> samples = repair::ReferenceSamples(ref, video);
    QFile source(reference);
    if (samples.empty() || !samples[0].key || !source.open(QIODevice::ReadOnly) || !source.seek(qint64(samples[0].offset))) {
        ADD_FAILURE() << "no key frame in " << reference.toStdString();
        return false;
    }
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(ref.ftyp.data()), qsizetype(ref.ftyp.size()));
    data += QByteArray("\0\0\0\0mdat", 8);  // cut by power loss: the size is still 0
    data += source.read(samples[0].size);
    const QByteArray picture("\0\0\0\x02\x65\x80", 6);
    data += picture.repeated((qsizetype(megabytes) << 20) / picture.size());
    QFile cut(folder + QLatin1Char('/') + kCut);
    return cut.open(QIODevice::WriteOnly) && cut.write(data) == data.size() && cut.flush() &&
           QFile::copy(reference, folder + QLatin1Char('/') + kReference);
}

// Files whose name ends with `suffix` anywhere under `folder`.
QStringList FilesEndingWith(const QString& folder, const QString& suffix)
{
    QStringList found;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        if (path.endsWith(suffix))
            found << path;
    }
    return found;
}

// Answers every dialog with `answers` in turn (OK once they run out) and keeps the texts it showed.
struct DialogScript {
    QStringList shown;
    QStringList titles;
    QList<int> answers;
    DialogScript()
    {
        SetDialogRunner([this](QDialog& dialog) {
            QStringList texts;
            for (QLabel* label : dialog.findChildren<QLabel*>())
                if (!label->text().isEmpty())
                    texts << label->text();
            shown << texts.join(QLatin1Char('|'));
            titles << dialog.windowTitle();
            return answers.isEmpty() ? mrOk : answers.takeFirst();
        });
    }
};

bool HasColour(const QPixmap& picture, const QColor& colour)
{
    const QImage image = picture.toImage();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

// With KORVANE_SHOTS set, the screen is saved there as NAME.png.
void Shot(const QString& name)
{
    const QString folder = qEnvironmentVariable("KORVANE_SHOTS");
    if (!folder.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

RecordingRepair& RepairOf(ViewerHarness& v) { return *v.viewer().findChild<RecordingRepair*>(); }
} // namespace

class ViewerRepair : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs the X display of the test script";
        ASSERT_TRUE(card_.isValid());
    }
    QTemporaryDir card_;
};

TEST_F(ViewerRepair, TheCutRecordingShowsDamagedIsRepairedIntoTheWorkingFolderAndPlays)
{
    ASSERT_TRUE(MakeCard(card_, true));
    ViewerHarness v(card_.path());
    ASSERT_TRUE(v.WaitForThumbnails());
    RecordingLibrary& library = v.viewer().Library();
    PlaybackController& p = v.player();

    // The scan keeps the cut recording in its place; its cell shows the damaged picture.
    ThumbnailCell* cut = v.NormalCell(0);
    ASSERT_EQ(cut->FileName(), kCut);
    EXPECT_TRUE(cut->IsDamaged());
    EXPECT_TRUE(HasColour(cut->Image()->pixmap(), QColor(255, 190, 0)));
    EXPECT_EQ(library.Catalogue().normalDamaged, QStringList{kCut});
    ASSERT_EQ(v.NormalCell(1)->FileName(), kReference);
    EXPECT_FALSE(v.NormalCell(1)->IsDamaged());
    Shot(QStringLiteral("damaged_cell"));

    DialogScript dialogs;
    bool ended = false;
    QObject::connect(&RepairOf(v), &RecordingRepair::repairEnded, [&] { ended = true; });
    v.DoubleClick(cut);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 30000));
    const QString repaired = library.RepairedPathOf(library.RefOf(cut));
    EXPECT_TRUE(RepairOf(v).LastOutcome().repaired) << RepairOf(v).LastOutcome().message.toStdString();
    EXPECT_EQ(RepairOf(v).LastOutcome().output, repaired);
    EXPECT_TRUE(repaired.startsWith(library.Catalogue().workingFolder + QLatin1Char('/')));
    EXPECT_TRUE(QFileInfo(repaired).isFile());
    // Nothing was written to the card.
    EXPECT_EQ(QDir(card_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    ASSERT_GE(dialogs.shown.size(), 3);
    EXPECT_TRUE(dialogs.shown[0].contains(QStringLiteral("Repair a copy")) && dialogs.shown[0].contains(kCut))
        << dialogs.shown[0].toStdString();
    EXPECT_TRUE(dialogs.shown.last().contains(repaired)) << dialogs.shown.last().toStdString();
    // The cell shows the repaired copy's picture with the repaired mark, no longer the damaged one.
    ASSERT_TRUE(QTest::qWaitFor([&] { return cut->ShowsRepaired(); }, 10000));
    EXPECT_TRUE(cut->IsDamaged());
    EXPECT_TRUE(HasColour(cut->Image()->pixmap(), kRepairedMarkColour));
    EXPECT_FALSE(HasColour(cut->Image()->pixmap(), QColor(255, 190, 0)));
    // The questions speak the interface's language, their titles too.
    EXPECT_EQ(dialogs.titles.first(), QStringLiteral("Repair"));
    EXPECT_EQ(dialogs.titles.last(), QStringLiteral("Repair"));

    // Played through the real kernel, highlighted on the cut recording's cell.
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 10000));
    EXPECT_EQ(p.Current()->mediaPath, repaired);
    EXPECT_EQ(library.CellOf(p.Current()->ref), cut);
    const qint64 before = ReadPosition(*p.Current());
    QTest::qWait(700);
    EXPECT_GT(ReadPosition(*p.Current()), before);
    Shot(QStringLiteral("repaired_playing"));
    EXPECT_TRUE(v.messages.isEmpty()) << v.messages.join(QLatin1Char('\n')).toStdString();
}

struct FailureCase {
    const char* name;
    bool withReference;
    bool emptyMedia;
    const char* message;  // what the information dialog says
};

const FailureCase kFailures[] = {
    {"NoReference", false, false, "No complete recording of the same camera"},
    {"NothingRecovered", true, true, "Nothing could be recovered"},
};

class ViewerRepairFailure : public ViewerRepair, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(ViewerRepairFailure, SaysWhyWritesNothingAndStartsNoKernel)
{
    const FailureCase c = GetParam();
    ASSERT_TRUE(MakeCard(card_, c.withReference, c.emptyMedia));
    ViewerHarness v(card_.path());
    ASSERT_TRUE(v.WaitForThumbnails());
    ThumbnailCell* cut = v.NormalCell(0);
    ASSERT_TRUE(cut->IsDamaged());
    const QString repaired = v.viewer().Library().RepairedPathOf(v.viewer().Library().RefOf(cut));

    // Declined: nothing happens.
    DialogScript dialogs;
    dialogs.answers = {mrCancel};
    v.DoubleClick(cut);
    QTest::qWait(300);
    EXPECT_FALSE(RepairOf(v).Running());
    ASSERT_EQ(dialogs.shown.size(), 1);

    bool ended = false;
    QObject::connect(&RepairOf(v), &RecordingRepair::repairEnded, [&] { ended = true; });
    v.DoubleClick(cut);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 20000));
    EXPECT_FALSE(RepairOf(v).LastOutcome().repaired);
    EXPECT_TRUE(dialogs.shown.last().contains(QString::fromUtf8(c.message)) && dialogs.shown.last().contains(kCut))
        << dialogs.shown.last().toStdString();
    EXPECT_FALSE(QFileInfo::exists(repaired));
    EXPECT_EQ(QDir(card_.path()).entryList(QDir::Files | QDir::Hidden).size(), c.withReference ? 2 : 1);
    QTest::qWait(700);
    EXPECT_TRUE(v.shell().Busy().IsIdle());
    EXPECT_FALSE(v.player().Current()->ref.IsValid());
    EXPECT_LE(v.player().Current()->kernelPid, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, ViewerRepairFailure, ::testing::ValuesIn(kFailures),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// Continuous play runs on into a cut recording that has a repaired copy: the partner is prepared
// with the repaired copy (the file the opener would play), never with the cut original.
TEST_F(ViewerRepair, ContinuousPlayIntoARepairedRecordingPlaysTheRepairedCopy)
{
    ASSERT_TRUE(MakeCard(card_, true));
    // A complete recording before the cut one, so that continuous play reaches it.
    ASSERT_TRUE(QFile::copy(kFixtures + QLatin1Char('/') + kReference, card_.filePath(QStringLiteral("20250301095900.MP4"))));
    ViewerHarness v(card_.path());
    ASSERT_TRUE(v.WaitForThumbnails());
    RecordingLibrary& library = v.viewer().Library();
    const RecordingRef cut = library.RefOf(v.NormalCell(1));
    ASSERT_EQ(cut.name, kCut);
    ASSERT_TRUE(library.IsDamaged(cut));
    // The repaired copy as a repair leaves it in the working folder, with the record of its source.
    const QString repaired = library.RepairedPathOf(cut);
    ASSERT_FALSE(repaired.isEmpty());
    ASSERT_TRUE(QFile::copy(kFixtures + QLatin1Char('/') + kCut, repaired));
    ASSERT_TRUE(WriteSourceRecord(repaired, *FingerprintOf(card_.filePath(kCut))));

    PlaybackController& p = v.player();
    QStringList loaded;
    QObject::connect(&p, &PlaybackController::recordingLoaded, [&](const LoadedRecording& rec) { loaded << rec.mp4Path; });
    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.Partner().Prepared() == cut; }, 20000));
    EXPECT_EQ(p.Current()->partner->mediaPath, repaired);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.size() >= 2; }, 20000));
    EXPECT_EQ(loaded[1], repaired);
    EXPECT_EQ(p.Current()->ref, cut);
    p.Stop();
}

// A repaired copy belongs to the recording it was made from. Another card's cut recording of the
// same name (here: the card's recording replaced by another cut of the same name) gets the repair
// question, never the first recording's copy.
TEST_F(ViewerRepair, ARepairedCopyOfAnotherRecordingOfTheSameNameIsNotPlayed)
{
    ASSERT_TRUE(MakeCard(card_, true));
    ViewerHarness v(card_.path());
    ASSERT_TRUE(v.WaitForThumbnails());
    RecordingLibrary& library = v.viewer().Library();
    PlaybackController& p = v.player();
    ThumbnailCell* cut = v.NormalCell(0);
    ASSERT_EQ(cut->FileName(), kCut);
    const RecordingRef ref = library.RefOf(cut);

    {
        DialogScript dialogs;   // repair, then play it: OK to every question
        bool ended = false;
        QObject::connect(&RepairOf(v), &RecordingRepair::repairEnded, [&] { ended = true; });
        v.DoubleClick(cut);
        ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 30000));
        ASSERT_TRUE(RepairOf(v).LastOutcome().repaired);
        ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 10000));
        EXPECT_EQ(library.PlayablePathOf(ref), library.RepairedPathOf(ref));
        p.Stop();
        ASSERT_TRUE(QTest::qWaitFor([&] { return v.shell().Busy().IsIdle(); }, 10000));
    }

    // Another recording under the same name: cut at 40 % instead of 60 %.
    QTemporaryDir other;
    std::string error;
    const QString source = kFixtures + QLatin1Char('/') + kCut;
    ASSERT_TRUE(camera::CutAsPowerLoss(source.toStdString(), other.filePath(kCut).toStdString(),
                                       uint64_t(QFileInfo(source).size() * 4 / 10), error)) << error;
    ASSERT_TRUE(QFile::remove(card_.filePath(kCut)));
    ASSERT_TRUE(QFile::copy(other.filePath(kCut), card_.filePath(kCut)));
    EXPECT_TRUE(library.PlayablePathOf(ref).isEmpty());

    DialogScript dialogs;
    dialogs.answers = {mrCancel};   // the repair question, declined
    const int opened = p.OpenCount();
    v.DoubleClick(cut);
    QTest::qWait(1500);
    ASSERT_EQ(dialogs.shown.size(), 1) << dialogs.shown.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(dialogs.shown[0].contains(kCut)) << dialogs.shown[0].toStdString();
    EXPECT_EQ(p.OpenCount(), opened);
    EXPECT_NE(p.State(), PlayState::Playing);
}

// Stop in the progress dialog ends a repair that would take many seconds at once: the dialog goes,
// the worker ends, nothing is written and the viewer is idle again.
TEST_F(ViewerRepair, StopEndsALongRepairAtOnce)
{
    ASSERT_TRUE(MakeHostileCard(card_.path(), 64));
    ViewerHarness v(card_.path());
    ASSERT_TRUE(v.WaitForThumbnails());
    ThumbnailCell* cut = v.NormalCell(0);
    ASSERT_TRUE(cut->IsDamaged());
    RecordingLibrary& library = v.viewer().Library();
    const QString repaired = library.RepairedPathOf(library.RefOf(cut));

    // The progress dialog is shown for real; once its bar shows the repair under way its stop
    // button is pressed.
    QElapsedTimer sinceStop;
    bool stopped = false, shown = false;
    SetDialogRunner([&](QDialog& dialog) {
        auto* progress = qobject_cast<TfrmProcess*>(&dialog);
        if (!progress)
            return mrOk;
        shown = true;
        auto* look = new QTimer(progress);
        QObject::connect(look, &QTimer::timeout, progress, [&, progress, look] {
            if (progress->plFont->width() == 0)
                return;
            look->stop();
            EXPECT_TRUE(RepairOf(v).Running());
            sinceStop.start();
            stopped = true;
            progress->btnStop->click();
        });
        look->start(50);
        const int result = dialog.exec();
        delete look;
        return result;
    });
    bool ended = false;
    QObject::connect(&RepairOf(v), &RecordingRepair::repairEnded, [&] { ended = true; });
    v.DoubleClick(cut);
    ASSERT_TRUE(shown);
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(Dialogs().frmProcess->isVisible());
    // Generous for a loaded machine, yet far below the repair's own time (tens of seconds here).
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 20000));
    const qint64 took = sinceStop.elapsed();
    EXPECT_LT(took, 3000) << "the worker ended " << took << " ms after the stop";
    EXPECT_FALSE(RepairOf(v).Running());
    EXPECT_FALSE(RepairOf(v).LastOutcome().repaired);
    EXPECT_FALSE(QFileInfo::exists(repaired));
    EXPECT_TRUE(FilesEndingWith(library.Catalogue().workingFolder, QStringLiteral(".part")).isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return v.shell().Busy().IsIdle(); }, 5000));
    EXPECT_TRUE(v.messages.isEmpty()) << v.messages.join(QLatin1Char('\n')).toStdString();
}

// The viewer's window closed during a long repair: the process ends within seconds, not when the
// repair would have ended, and leaves no partial copy behind. The viewer runs in a process of its
// own (this test program, running only ViewerRepairChild.ClosesItsWindowDuringARepair).
TEST_F(ViewerRepair, ClosingTheWindowDuringARepairEndsTheProcess)
{
    ASSERT_TRUE(MakeHostileCard(card_.path(), 64));
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KORVANE_REPAIR_CHILD_CARD"), card_.path());
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("TMPDIR"), home.path());  // the child's working folder goes there too
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::SeparateChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=ViewerRepairChild.ClosesItsWindowDuringARepair")});
    ASSERT_TRUE(child.waitForStarted());
    QByteArray out;
    const bool closing = QTest::qWaitFor([&] {
        out += child.readAllStandardOutput();
        return out.contains("closing the window") || child.state() == QProcess::NotRunning;
    }, 60000);
    QElapsedTimer sinceClose;
    sinceClose.start();
    EXPECT_TRUE(closing && out.contains("closing the window while repairing")) << out.toStdString();
    const bool exited = child.waitForFinished(20000);
    const qint64 took = sinceClose.elapsed();
    out += child.readAllStandardOutput();
    if (!exited) {
        child.kill();
        child.waitForFinished();
    }
    const QByteArray err = child.readAllStandardError();
    ASSERT_TRUE(exited) << out.toStdString() << err.toStdString();
    EXPECT_LT(took, 5000) << "the process ended " << took << " ms after its window closed\n" << err.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0) << out.toStdString() << err.toStdString();
    // The card holds what it held; the child's temporary folders (its working folder among them)
    // are gone with it, and no partial copy is left anywhere.
    EXPECT_EQ(QDir(card_.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    EXPECT_TRUE(FilesEndingWith(home.path(), QStringLiteral(".part")).isEmpty());
    EXPECT_TRUE(QDir(home.path()).entryList({QCoreApplication::applicationName() + QStringLiteral("*")},
                                            QDir::AllEntries | QDir::Hidden).isEmpty());
}

// The viewer of ClosingTheWindowDuringARepairEndsTheProcess: starts the repair of the card's cut
// recording, closes the main window while it runs, and ends as the viewer's main does after its
// event loop. Skipped unless that test runs it.
TEST(ViewerRepairChild, ClosesItsWindowDuringARepair)
{
    const QString card = qEnvironmentVariable("KORVANE_REPAIR_CHILD_CARD");
    if (card.isEmpty())
        GTEST_SKIP() << "runs only in the process ClosingTheWindowDuringARepairEndsTheProcess starts";
    ViewerHarness v(card);
    ASSERT_TRUE(v.WaitForThumbnails());
    SetDialogRunner([&](QDialog& dialog) {
        if (!qobject_cast<TfrmProcess*>(&dialog))
            return mrOk;
        // Once the bar shows the repair under way.
        auto* progress = static_cast<TfrmProcess*>(&dialog);
        auto* look = new QTimer(progress);
        QObject::connect(look, &QTimer::timeout, progress, [&, progress, look] {
            if (progress->plFont->width() == 0)
                return;
            look->stop();
            std::printf("closing the window %s\n", RepairOf(v).Running() ? "while repairing" : "after the repair");
            std::fflush(stdout);
            v.window().close();
        });
        look->start(50);
        const int result = dialog.exec();
        delete look;
        return result;
    });
    // As the viewer's main runs it: the event loop of the application until the window closes.
    QTimer::singleShot(0, &v.window(), [&] { v.DoubleClick(v.NormalCell(0)); });
    EXPECT_EQ(QApplication::exec(), 0);
    // What follows is the viewer's shut-down.
}
