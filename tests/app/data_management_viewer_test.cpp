// Backup and Clean in the real viewer: the Setup menu item and Ctrl+C's timer run the commands
// on the real dialogs, answered by a script instead of a user, with the real worker copying
// the sample card and deleting a copy of it.
#include <gtest/gtest.h>

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "app/app_shell.h"
#include "app/data_management_hookup.h"
#include "app/viewer.h"
#include "library/recording_library.h"
#include "library/thumbnail_cell.h"
#include "player/transport_bar.h"
#include "ui/check_dialogs.h"
#include "ui/dialog_family.h"
#include "ui/folder_dialogs.h"
#include "ui/information_dialogs.h"
#include "ui/main_window.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {
const QString kSamples = QStringLiteral(KORVANE_SAMPLES_DIR);

QByteArray Digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&f);
    return hash.result();
}

// Answers the viewer's dialogs: each dialog has its own answer, and what was shown is logged.
// Without an answer a dialog is confirmed with OK. The progress dialog really runs, so that the
// command's poll ends it.
struct DialogScript {
    std::map<QDialog*, std::function<int(QDialog&)>> answers;
    QStringList log;

    DialogScript()
    {
        SetDialogRunner([this](QDialog& d) {
            const DialogFamily& f = Dialogs();
            if (&d == f.frmInformation)
                log << QStringLiteral("Info:") + f.frmInformation->lbInformation->text();
            else if (&d == f.frmInformation1)
                log << QStringLiteral("Info:") + f.frmInformation1->lbInformation1->text();
            else if (&d == f.frmCheck)
                log << QStringLiteral("Check:") + f.frmCheck->lbInformation->text();
            else if (&d == f.frmCheck1)
                log << QStringLiteral("Check1:") + f.frmCheck1->lbInformation1->text();
            else
                log << d.objectName();
            const auto it = answers.find(&d);
            if (it != answers.end())
                return it->second(d);
            return d.objectName() == QLatin1String("frmProcess") ? d.exec() : 1;
        });
    }
    ~DialogScript() { SetDialogRunner([](QDialog&) { return 1; }); }
};

// A copy of the sample card's recordings in `card` (made here), the names in `recordings`.
bool CopyOfTheSampleCard(const QString& card, QStringList& recordings)
{
    if (!QDir().mkpath(card))
        return false;
    recordings = QDir(kSamples).entryList({QStringLiteral("*.MP4")}, QDir::Files);
    for (const QString& name : recordings)
        if (!QFile::copy(kSamples + QLatin1Char('/') + name, card + QLatin1Char('/') + name))
            return false;
    return true;
}

QString Verdict(Info which) { return QStringLiteral("Info:") + InfoMessage(which); }

class ViewerDataManagement : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(kSamples + QStringLiteral("/20250614080000.MP4")))
            GTEST_SKIP() << "the sample card is made by the samples target";
    }
};
} // namespace

TEST_F(ViewerDataManagement, BackupCopiesTheWholeCardAfterARefusedDestination)
{
    QTemporaryDir destination;
    ViewerHarness v(kSamples);
    ASSERT_TRUE(v.WaitForThumbnails());
    EXPECT_TRUE(v.window().miBackup->isEnabled());
    DataManagementHookup& dm = *v.shell().dataManagement();
    const RecordingCatalogue catalogue = v.viewer().Library().Catalogue();
    const QStringList names = catalogue.normalFiles + catalogue.eventFiles;
    ASSERT_FALSE(names.isEmpty());

    // The folder chooser first gives a path that is not an absolute folder ("Error1"), then
    // the real destination.
    QStringList choices{QStringLiteral("relative/folder"), destination.path()};
    dm.Ui().SetFolderChooser([&](QWidget*, const QString&, const QString&) { return choices.takeFirst(); });

    DialogScript script;
    TfrmBackup& backup = *Dialogs().frmBackup;
    TfrmProcess& process = *Dialogs().frmProcess;
    std::vector<bool> okAtShowing;
    std::vector<QString> labels;
    script.answers[&backup] = [&](QDialog&) {
        okAtShowing.push_back(backup.btnOk->isEnabled());
        backup.btnFolder->click();
        labels.push_back(backup.lbDestFolderName->text());
        return backup.btnOk->isEnabled() ? 1 : 2;
    };
    QString function;
    bool countShown = false;
    // When the worker is first seen done (a 1 ms look), and when the dialog has closed.
    QElapsedTimer clock;
    qint64 jobEndedAt = -1, closedAt = -1;
    script.answers[&process] = [&](QDialog& d) {
        function = process.lbFunction->text();
        QTimer look;
        look.setTimerType(Qt::PreciseTimer);
        look.setInterval(1);
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (jobEndedAt < 0 && !dm.Commands().Worker().Busy())
                jobEndedAt = clock.elapsed();
        });
        clock.start();
        look.start();
        const int r = d.exec();
        closedAt = clock.elapsed();
        // The end may close the dialog before the next look: then it was seen at the close.
        if (jobEndedAt < 0 && !dm.Commands().Worker().Busy())
            jobEndedAt = closedAt;
        countShown = process.lbCopy->isVisibleTo(&process);
        return r;
    };

    v.window().miBackup->trigger();

    EXPECT_EQ(script.log, (QStringList{QStringLiteral("frmBackup"), QStringLiteral("frmBackup"),
                                       QStringLiteral("frmProcess"), Verdict(Info::BackupCompleted)}));
    EXPECT_EQ(v.messages, QStringList{QStringLiteral("Error1")});
    EXPECT_EQ(okAtShowing, (std::vector<bool>{false, true}));
    EXPECT_EQ(labels, (std::vector<QString>{QStringLiteral("folder"), QFileInfo(destination.path()).fileName()}));
    EXPECT_EQ(function, InfoMessage(Info::SavingFile));
    EXPECT_TRUE(countShown);
    // The job's end closes the dialog at once, not at a later look at the counters.
    ASSERT_GE(jobEndedAt, 0);
    const qint64 latency = std::max<qint64>(0, closedAt - jobEndedAt);
    RecordProperty("completion_to_dialog_ms", int(latency));
    std::printf("backup completion reached the progress dialog %lld ms after the job ended\n",
                static_cast<long long>(latency));
    EXPECT_LT(latency, 400);
    EXPECT_EQ(process.lbCopy->text(), QStringLiteral("%1/%1").arg(names.size()));
    EXPECT_EQ(process.plFont->width(), process.plBackground->width());

    // One dated folder holding every recording, byte for byte, and nothing else.
    const QStringList dated = QDir(destination.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(dated.size(), 1);
    EXPECT_EQ(destination.path() + QLatin1Char('/') + dated.front(), dm.Commands().BackupFolder());
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{14}$")).match(dated.front()).hasMatch());
    QDir copy(dm.Commands().BackupFolder());
    EXPECT_EQ(copy.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), names.size());
    for (const QString& name : names)
        EXPECT_EQ(Digest(copy.filePath(name)), Digest(kSamples + QLatin1Char('/') + name)) << name.toStdString();

    EXPECT_FALSE(v.shell().Busy().DialogUp());
    EXPECT_TRUE(v.shell().Busy().IsIdle());
    EXPECT_FALSE(dm.Commands().Worker().Busy());
    // Nothing was loaded, so nothing was stopped and the play button stays off.
    EXPECT_FALSE(v.viewer().Buttons().tbPlay->isEnabled());
}

TEST_F(ViewerDataManagement, CleanFromTheKeyboardEmptiesTheCardAndReloadsTheEmptyView)
{
    QTemporaryDir work;
    const QString card = work.path() + QStringLiteral("/DCIM");
    QStringList recordings;
    ASSERT_TRUE(CopyOfTheSampleCard(card, recordings));
    QFile other(card + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("kept");
    other.close();

    ViewerHarness v(card);
    ASSERT_TRUE(v.WaitForThumbnails());
    EXPECT_TRUE(v.window().miClean->isEnabled());
    v.shell().dataManagement()->Commands().SetCleanSettleMs(50);

    DialogScript script;
    TfrmClean& clean = *Dialogs().frmClean;
    TfrmProcess& process = *Dialogs().frmProcess;
    QString folderLabel;
    bool okEnabled = false;
    script.answers[&clean] = [&](QDialog&) {
        folderLabel = clean.lbFolderName->text();
        okEnabled = clean.btnOk->isEnabled();
        return script.log.count(QStringLiteral("frmClean")) == 1 ? 1 : 2;
    };
    bool countShown = true;
    script.answers[&process] = [&](QDialog& d) {
        const int r = d.exec();
        countShown = process.lbCopy->isVisibleTo(&process);
        return r;
    };
    bool menusAtVerdict = true;
    script.answers[Dialogs().frmInformation] = [&](QDialog&) {
        menusAtVerdict = v.window().miClean->isEnabled() || v.window().miBackup->isEnabled();
        return 1;
    };

    // Ctrl+C of the keyboard table starts tmCleanData; its tick runs the command.
    v.shell().tmCleanData->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !v.shell().dataManagement()->Commands().Running() &&
                                             script.log.contains(Verdict(Info::CleanupCompleted)); }, 20000));

    EXPECT_EQ(script.log, (QStringList{QStringLiteral("frmClean"), QStringLiteral("Check:") + InfoMessage(Info::CheckDelete),
                                       QStringLiteral("frmProcess"), Verdict(Info::CleanupCompleted)}));
    EXPECT_EQ(folderLabel, QStringLiteral("DCIM"));
    EXPECT_TRUE(okEnabled);
    EXPECT_FALSE(countShown);
    EXPECT_EQ(process.plFont->width(), process.plBackground->width());
    EXPECT_FALSE(menusAtVerdict);

    // Only the recordings went; the other file and so the folder stay.
    EXPECT_EQ(QDir(card).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("notes.txt")});
    const RecordingCatalogue& c = v.viewer().Library().Catalogue();
    EXPECT_TRUE(c.normalFiles.isEmpty());
    EXPECT_TRUE(c.eventFiles.isEmpty());
    EXPECT_TRUE(v.NormalCell(0) == nullptr || v.NormalCell(0)->IsEmpty());
    // The pass over the emptied folder ends and gives the menu items back.
    EXPECT_TRUE(QTest::qWaitFor([&] { return v.window().miClean->isEnabled() && v.window().miBackup->isEnabled(); }, 10000));
    EXPECT_FALSE(v.shell().Busy().DialogUp());
}

TEST_F(ViewerDataManagement, ShutDownDuringACopyStopsTheWorkerAndLeavesNoPartialFile)
{
    QTemporaryDir work;
    const QString card = work.path() + QStringLiteral("/card");
    const QString destination = work.path() + QStringLiteral("/dest");
    ASSERT_TRUE(QDir().mkpath(card) && QDir().mkpath(destination));
    ASSERT_TRUE(QFile::copy(kSamples + QStringLiteral("/20250614080000.MP4"), card + QStringLiteral("/20250614080000.MP4")));
    // A recording far larger than what can be copied before the shut-down comes (sparse: cheap to make).
    QFile large(card + QStringLiteral("/20250614090000.MP4"));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly) && large.resize(qint64(2) << 30));
    large.close();

    ViewerHarness v(card);
    ASSERT_TRUE(v.WaitForThumbnails());
    DataManagementHookup& dm = *v.shell().dataManagement();
    dm.Ui().SetFolderChooser([&](QWidget*, const QString&, const QString&) { return destination; });

    DialogScript script;
    TfrmBackup& backup = *Dialogs().frmBackup;
    script.answers[&backup] = [&](QDialog&) {
        if (script.log.count(QStringLiteral("frmBackup")) > 1)
            return 2;
        backup.btnFolder->click();
        return 1;
    };
    qint64 joinMs = -1;
    script.answers[Dialogs().frmProcess] = [&](QDialog& d) {
        // The viewer ends while the large recording is being copied.
        QTimer::singleShot(400, &d, [&] {
            QElapsedTimer clock;
            clock.start();
            dm.Shutdown();
            joinMs = clock.elapsed();
            d.done(7);
        });
        return d.exec();
    };

    v.window().miBackup->trigger();

    EXPECT_FALSE(dm.Commands().Worker().Busy());
    EXPECT_GE(joinMs, 0);
    EXPECT_LT(joinMs, 1000);
    const QString dated = dm.Commands().BackupFolder();
    ASSERT_FALSE(dated.isEmpty());
    // The small recording arrived; the large one left neither a copy nor a temporary file.
    EXPECT_EQ(QDir(dated).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("20250614080000.MP4")});
}

// Ctrl+C is the copy key everywhere but in the main window itself: in the folder chooser of
// File > Open it never opens Clean, and Enter alone on the delete question never deletes.
TEST_F(ViewerDataManagement, CtrlCInADialogNeverCleansAndEnterOnTheDeleteQuestionKeepsTheCard)
{
    QTemporaryDir work;
    const QString card = work.path() + QStringLiteral("/DCIM");
    QStringList recordings;
    ASSERT_TRUE(CopyOfTheSampleCard(card, recordings));

    ViewerHarness v(card);
    ASSERT_TRUE(v.WaitForThumbnails());
    v.shell().dataManagement()->Commands().SetCleanSettleMs(50);
    DialogScript script;
    TfrmClean& clean = *Dialogs().frmClean;
    // OK the first time; after the question was declined, Clean comes back and is cancelled.
    script.answers[&clean] = [&](QDialog&) { return script.log.count(QStringLiteral("frmClean")) == 1 ? 1 : 2; };
    // The delete question is answered with Enter alone, as a user in a hurry would.
    script.answers[Dialogs().frmCheck] = [&](QDialog& d) {
        QTimer::singleShot(50, &d, [&d] {
            QWidget* target = d.focusWidget() ? d.focusWidget() : &d;
            QTest::keyClick(target, Qt::Key_Return);
        });
        QTimer::singleShot(3000, &d, [&d] { d.done(99); });   // Enter did nothing at all
        return d.exec();
    };

    // The folder chooser of File > Open, with a path in its name field.
    QFileDialog chooser(&v.window());
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.open();
    auto* nameField = chooser.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(nameField, nullptr);
    nameField->setText(card);
    nameField->selectAll();
    QTest::keyClick(nameField, Qt::Key_C, Qt::ControlModifier);
    QTest::qWait(400);   // three times the clean timer
    EXPECT_FALSE(script.log.contains(QStringLiteral("frmClean"))) << script.log.join(QLatin1Char('|')).toStdString();
    chooser.reject();

    // In the main window Ctrl+C still opens Clean; the question's Enter answers Cancel.
    QTest::keyClick(v.window().mmDummy, Qt::Key_C, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.log.size() >= 3; }, 8000));
    QTest::qWait(300);
    EXPECT_EQ(script.log, (QStringList{QStringLiteral("frmClean"), QStringLiteral("Check:") + InfoMessage(Info::CheckDelete),
                                       QStringLiteral("frmClean")}));
    EXPECT_FALSE(script.log.contains(QStringLiteral("frmProcess")));
    EXPECT_EQ(QDir(card).entryList({QStringLiteral("*.MP4")}, QDir::Files), recordings);
    // Enter answered the question (Cancel), it was not left waiting.
    EXPECT_EQ(Dialogs().frmCheck->result(), 2);
}
