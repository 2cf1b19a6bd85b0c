// Setup > Export… after the viewer has said what to export: the dialog refusing a destination on
// the card, the export on the worker thread while the GUI thread keeps running, Stop, failures
// and the offer of an Event recording's neighbours. The export itself is a function the test
// controls; dialogs are answered by a scripted runner and boxes recorded.
#include "app/export_command.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <thread>

#include "core/busy_state.h"
#include "datamgmt/job_worker.h"
#include "platform/message_box.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"
#include "ui/text_tables.h"

using namespace korvane;

namespace {
int argc = 1;
char arg0[] = "test_app";
char* argv[] = {arg0, nullptr};
void App()
{
    if (!qApp)
        new QApplication(argc, argv);
}

bool WaitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

struct RecordedBoxes : MessageSink {
    QStringList texts;
    int Show(const QString&, const QString& text, BoxIcon, BoxButtons) override
    {
        texts << text;
        return kResultOk;
    }
};

class ExportCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        App();
        windowOwner = std::make_unique<QWidget>();
        window = windowOwner.get();
        SetMessageSink(&boxes);
        SetDialogRunner([this](QDialog& d) {
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected dialog " << d.objectName().toStdString();
                return 2;
            }
            auto answer = std::move(answers.front());
            answers.pop_front();
            return answer(d);
        });
        card = dir.path() + QStringLiteral("/card");
        out = dir.path() + QStringLiteral("/out");
        QDir().mkpath(card);
        QDir().mkpath(out);
        start.range = ExportRange{{card + QStringLiteral("/20240105_120000.MP4")}, 10'000'000, 25'000'000};
        start.cardFolder = card;
        start.mph = true;
    }
    void TearDown() override
    {
        SetDialogRunner(nullptr);
        SetMessageSink(nullptr);
    }
    // The export dialog, answered with a destination and the overlay choice.
    void AnswerExportDialog(const QString& destination, bool overlay, bool neighbours = false)
    {
        answers.push_back([=](QDialog& d) {
            auto* dialog = qobject_cast<ExportDialog*>(&d);
            EXPECT_NE(dialog, nullptr);
            if (!dialog)
                return 2;
            dialog->SetDestination(destination);
            dialog->SetOverlay(overlay);
            dialog->SetNeighbours(neighbours);
            return int(QDialog::Accepted);
        });
    }
    // The progress dialog, left up until the export has ended (as its end closes it).
    void AnswerProgressUntilTheEnd()
    {
        answers.push_back([this](QDialog& d) {
            EXPECT_NE(qobject_cast<TfrmProcess*>(&d), nullptr);
            EXPECT_TRUE(WaitFor([this] { return !worker.taskBusy(); }, 20000));
            return 1;
        });
    }

    QTemporaryDir dir;
    QString card, out;
    BusyState busy;
    JobWorker worker;
    std::unique_ptr<QWidget> windowOwner;
    QWidget* window = nullptr;
    RecordedBoxes boxes;
    std::deque<std::function<int(QDialog&)>> answers;
    ExportStart start;
};

TEST_F(ExportCommandTest, RefusesTheCardThenExportsOnTheWorkerWhileTheWindowKeepsRunning)
{
    ExportCommand command(worker, busy, window);
    std::atomic<bool> guiTicked{false};
    std::thread::id ranOn;
    ExportRange seenRange;
    ExportOptions seenOptions;
    command.SetRunFunction([&](const ExportRange& r, const ExportOptions& o, ExportProgress& p) {
        ranOn = std::this_thread::get_id();
        seenRange = r;
        seenOptions = o;
        // Works until a timer of the GUI thread has fired: the window is not blocked.
        for (int i = 0; i < 20000 && !guiTicked.load(); ++i) {
            p.permille = 500;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return Expected<ExportResult, ExportError>(ExportResult{o.destination + QStringLiteral("/20240105-120010_15s")});
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { guiTicked = worker.taskBusy() || guiTicked.load(); });
    tick.start(10);

    AnswerExportDialog(card + QStringLiteral("/sub"), true);
    // The dialog comes back with the choices kept.
    answers.push_back([this](QDialog& d) {
        auto* dialog = qobject_cast<ExportDialog*>(&d);
        EXPECT_EQ(dialog->Destination(), card + QStringLiteral("/sub"));
        EXPECT_TRUE(dialog->Overlay());
        EXPECT_TRUE(dialog->cbNeighbours->isHidden());
        dialog->SetDestination(out);
        return int(QDialog::Accepted);
    });
    AnswerProgressUntilTheEnd();
    command.Run(start);

    EXPECT_TRUE(answers.empty());
    EXPECT_TRUE(guiTicked.load());
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_EQ(seenRange.recordings, start.range.recordings);
    EXPECT_EQ(seenRange.inUs, 10'000'000);
    EXPECT_EQ(seenRange.outUs, 25'000'000);
    EXPECT_EQ(seenOptions.destination, out);
    EXPECT_EQ(seenOptions.cardFolder, card);
    EXPECT_TRUE(seenOptions.overlay);
    EXPECT_TRUE(seenOptions.mph);
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(boxes.texts[0], CatalogueText(keys::kExportOnCard));
    EXPECT_TRUE(boxes.texts[1].startsWith(CatalogueText(keys::kExportDone)));
    EXPECT_TRUE(boxes.texts[1].endsWith(out + QStringLiteral("/20240105-120010_15s")));
    EXPECT_FALSE(worker.Busy());
    EXPECT_FALSE(busy.Has(BusyReason::JobRunning));
    EXPECT_FALSE(command.Running());
}

// A moment of two channels: the dialog lists the rear's recording after the front's, and the
// export is handed both.
TEST_F(ExportCommandTest, TheOtherChannelsRecordingsAreListedAndHandedOn)
{
    start.range.recordings = {card + QStringLiteral("/20250301_140000_NF.mp4")};
    AddChannelRecording(start.range, 0, QLatin1Char('R'), card + QStringLiteral("/20250301_140001_NR.mp4"), 1);
    ExportCommand command(worker, busy, window);
    ExportRange seenRange;
    command.SetRunFunction([&](const ExportRange& r, const ExportOptions&, ExportProgress&) {
        seenRange = r;
        return Expected<ExportResult, ExportError>(ExportResult{out + QStringLiteral("/x")});
    });
    answers.push_back([&](QDialog& d) {
        auto* dialog = qobject_cast<ExportDialog*>(&d);
        EXPECT_NE(dialog, nullptr);
        if (!dialog)
            return 2;
        EXPECT_EQ(dialog->lbRecordings->text(), QStringLiteral("20250301_140000_NF.mp4\n20250301_140001_NR.mp4"));
        dialog->SetDestination(out);
        return int(QDialog::Accepted);
    });
    AnswerProgressUntilTheEnd();
    command.Run(start);
    EXPECT_TRUE(answers.empty());
    ASSERT_EQ(seenRange.channels.size(), 1);
    EXPECT_EQ(seenRange.channels[0].letter, QLatin1Char('R'));
    ASSERT_EQ(seenRange.channels[0].sources.size(), 1);
    EXPECT_EQ(seenRange.channels[0].sources[0].path, card + QStringLiteral("/20250301_140001_NR.mp4"));
    EXPECT_EQ(seenRange.channels[0].sources[0].namedLeadSeconds, 1);
}

TEST_F(ExportCommandTest, StopEndsTheExportAndSaysNothingWasKept)
{
    ExportCommand command(worker, busy, window);
    std::atomic<bool> started{false}, sawStop{false};
    command.SetRunFunction([&](const ExportRange&, const ExportOptions&, ExportProgress& p) {
        started = true;
        for (int i = 0; i < 20000 && !p.stopRequested.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sawStop = p.stopRequested.load();
        return Expected<ExportResult, ExportError>(Unexpected(ExportError{ExportFailure::Stopped, QString()}));
    });
    AnswerExportDialog(out, false);
    answers.push_back([&](QDialog& d) {
        auto* progress = qobject_cast<TfrmProcess*>(&d);
        EXPECT_TRUE(WaitFor([&] { return started.load(); }, 20000));
        EXPECT_TRUE(worker.taskBusy());
        progress->btnStop->click();
        return progress->result();
    });
    command.Run(start);
    EXPECT_TRUE(sawStop.load());
    EXPECT_FALSE(worker.Busy());
    EXPECT_EQ(boxes.texts, QStringList{CatalogueText(keys::kExportStopped)});
}

TEST_F(ExportCommandTest, FailuresAndRefusalsAreShownInABox)
{
    struct Case {
        const char* name;
        ExportFailure kind;
        const char* key;
    };
    const Case cases[] = {
        {"full disk", ExportFailure::Unwritable, keys::kExportFailed},
        {"damaged recording", ExportFailure::BadInput, keys::kExportFailed},
        {"card folder", ExportFailure::DestinationOnCard, keys::kExportOnCard},
    };
    for (const Case& c : cases) {
        boxes.texts.clear();
        ExportCommand command(worker, busy, window);
        command.SetRunFunction([&](const ExportRange&, const ExportOptions&, ExportProgress&) {
            return Expected<ExportResult, ExportError>(Unexpected(ExportError{c.kind, QString::fromLatin1(c.name)}));
        });
        AnswerExportDialog(out, false);
        AnswerProgressUntilTheEnd();
        command.Run(start);
        ASSERT_EQ(boxes.texts.size(), 1) << c.name;
        EXPECT_EQ(boxes.texts[0], CatalogueText(c.key) + QLatin1Char('\n') + QString::fromLatin1(c.name));
    }
    // Without a destination the dialog comes back; cancelled, nothing runs.
    boxes.texts.clear();
    ExportCommand command(worker, busy, window);
    bool ran = false;
    command.SetRunFunction([&](const ExportRange&, const ExportOptions&, ExportProgress&) {
        ran = true;
        return Expected<ExportResult, ExportError>(ExportResult{});
    });
    AnswerExportDialog(QString(), false);
    answers.push_back([](QDialog&) { return int(QDialog::Rejected); });
    command.Run(start);
    EXPECT_FALSE(ran);
    EXPECT_EQ(boxes.texts, QStringList{CatalogueText(keys::kExportNoDestination)});
}

TEST_F(ExportCommandTest, AnEventRecordingMayTakeItsNeighbours)
{
    const QString before = card + QStringLiteral("/20240105_115900.MP4");
    const QString shown = start.range.recordings.first();
    const QString after = card + QStringLiteral("/20240105_120100.MP4");
    start.range = ExportRange{{shown}, 0, -1};
    start.neighbours = {before, after};
    start.withNeighbours = {before, shown, after};
    ExportCommand command(worker, busy, window);
    ExportRange seen;
    command.SetRunFunction([&](const ExportRange& r, const ExportOptions& o, ExportProgress&) {
        seen = r;
        return Expected<ExportResult, ExportError>(ExportResult{o.destination});
    });
    answers.push_back([&](QDialog& d) {
        auto* dialog = qobject_cast<ExportDialog*>(&d);
        EXPECT_FALSE(dialog->cbNeighbours->isHidden());
        EXPECT_TRUE(dialog->cbNeighbours->toolTip().contains(QStringLiteral("20240105_115900.MP4")));
        dialog->SetDestination(out);
        dialog->SetNeighbours(true);
        return int(QDialog::Accepted);
    });
    AnswerProgressUntilTheEnd();
    command.Run(start);
    EXPECT_EQ(seen.recordings, (QStringList{before, shown, after}));
    EXPECT_EQ(seen.inUs, 0);
    EXPECT_EQ(seen.outUs, -1);
}

} // namespace
