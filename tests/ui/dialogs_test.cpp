// The dialog family as created at start-up: order, sizes, texts in Japanese and English, the
// English label alignment, and the placement over the main window.
#include <gtest/gtest.h>

#include <QFile>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>

#include "ui/about_dialog.h"
#include "ui/check_dialogs.h"
#include "ui/close_dialog.h"
#include "ui/dialog_family.h"
#include "ui/dummy_dialog.h"
#include "ui/folder_dialogs.h"
#include "ui/information_dialogs.h"
#include "ui/main_texts.h"
#include "ui/main_window.h"
#include "ui/process_dialog.h"
#include "ui/show_centered.h"
#include "ui/text_catalogue.h"
#include "ui/update_dialog.h"

namespace korvane {
namespace {

TEST(DialogFamily, CreatedInOrderWithTheirSizes)
{
    SetTextCatalogue(QString(), 0x411);
    TfrmMain main;
    const DialogFamily& f = CreateDialogs(&main);
    const QList<QDialog*> dialogs = main.findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly);
    QStringList names;
    for (QDialog* d : dialogs)
        names << d->objectName();
    EXPECT_EQ(names, (QStringList{"frmAbout", "frmBackup", "frmCheck", "frmCheck1", "frmClean", "frmClose",
                                  "frmDummy", "frmInformation", "frmInformation1", "frmProcess", "frmUpdate"}));
    struct Size {
        QDialog* dialog;
        int w, h;
    };
    for (const Size& s : {Size{f.frmAbout, 249, 141}, Size{f.frmBackup, 297, 124}, Size{f.frmCheck, 424, 70},
                          Size{f.frmClean, 288, 127}, Size{f.frmInformation, 281, 72}, Size{f.frmCheck1, 337, 124}, Size{f.frmClose, 302, 74},
                          Size{f.frmDummy, 120, 56}, Size{f.frmInformation1, 309, 118}, Size{f.frmProcess, 227, 87},
                          Size{f.frmUpdate, 356, 90}})
        EXPECT_EQ(s.dialog->size(), QSize(s.w, s.h)) << s.dialog->objectName().toStdString();
    EXPECT_EQ(f.frmProcess->plBackground->geometry(), QRect(8, 26, 210, 17));
    EXPECT_EQ(f.frmProcess->plFont->width(), 0);
    EXPECT_TRUE(f.frmProcess->btnEnd->isHidden());
    EXPECT_TRUE(f.frmUpdate->btnOk->isHidden());
    EXPECT_TRUE(f.frmBackup->lbSourceFolderName->isHidden());
    EXPECT_FALSE(f.frmProcess->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(f.frmUpdate->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(f.frmAbout->lbName->font().family(), QStringLiteral("Meiryo UI"));
    EXPECT_EQ(f.frmAbout->lbName->font().pointSize(), 12);
    EXPECT_EQ(f.frmClose->btnOk->font().pointSize(), 11);
    EXPECT_EQ(f.frmCheck->btnOk->font().pointSize(), 12);
    EXPECT_EQ(f.frmCheck->lbInformation->font().pointSize(), 11);
}

TEST(DialogFamily, JapaneseWithoutSettingsFile)
{
    SetTextCatalogue(QString(), 0x411);
    TfrmMain main;
    const DialogFamily& f = CreateDialogs(&main);
    LoadMainTexts(main);
    EXPECT_EQ(f.frmAbout->windowTitle(), QStringLiteral("バージョン情報"));
    EXPECT_EQ(f.frmAbout->lbVersion->text(), QStringLiteral("Version 1.50"));
    EXPECT_EQ(f.frmBackup->btnOk->text(), QStringLiteral(" 実   行"));
    EXPECT_EQ(f.frmClose->lbInformation->text(), QStringLiteral("Korvane を終了しますか？"));
    EXPECT_EQ(f.frmCheck1->windowTitle(), QStringLiteral("確認"));
    EXPECT_EQ(f.frmProcess->btnStop->text(), QStringLiteral("キャンセル"));
    EXPECT_EQ(f.frmUpdate->lbInformation->text(),
              QStringLiteral("最新バーションのビューアーソフトがあります。\n \nダウンロードサイトで確認してください。"));
    EXPECT_EQ(main.miSetup->title(), QStringLiteral("設定(&S)"));
    // Designed positions, except where the text would run under the white panel.
    EXPECT_EQ(f.frmBackup->lbDestFolder->pos(), QPoint(20, 49));
    EXPECT_LE(f.frmClean->lbFolder->x() + f.frmClean->lbFolder->width(), f.frmClean->Panel1->x());
    EXPECT_EQ(main.miBackup->text(), QStringLiteral("バックアップ(&B)"));
}

TEST(DialogFamily, EnglishFromFileWithLabelsAgainstTheirPanels)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvane.ini"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[0x409]\nDlg.Backup,Cancel.Caption=Abort\nDlg.Check1.Caption=ignored\nMenu.About.Caption=Info(&A)\n"
            "Dlg.Update.Information.Caption=New!\\n\\nGo.\n");
    f.close();
    SetTextCatalogue(path, 0x409);
    TfrmMain main;
    const DialogFamily& d = CreateDialogs(&main);
    LoadMainTexts(main);
    EXPECT_EQ(d.frmBackup->btnCancel->text(), QStringLiteral("Abort"));
    EXPECT_EQ(d.frmBackup->btnOk->text(), QStringLiteral("OK"));
    EXPECT_EQ(d.frmCheck1->windowTitle(), QStringLiteral("確認"));   // fixed in every language
    EXPECT_EQ(d.frmCheck1->btnCancel->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(d.frmInformation1->btnOk->text(), QStringLiteral("OK"));
    EXPECT_EQ(d.frmUpdate->lbInformation->text(), QStringLiteral("New!\n\nGo."));
    EXPECT_EQ(main.miAbout->text(), QStringLiteral("Info(&A)"));
    EXPECT_EQ(main.miFile->title(), QStringLiteral("File(&F)"));
    for (auto [label, panel] : {std::pair{d.frmBackup->lbDestFolder, d.frmBackup->Panel1},
                                std::pair{d.frmClean->lbFolder, d.frmClean->Panel1}}) {
        const int textWidth = QFontMetrics(label->font()).horizontalAdvance(label->text());
        EXPECT_EQ(label->x(), panel->x() - textWidth) << label->text().toStdString();
        EXPECT_EQ(label->x() + label->width(), panel->x());
    }
    SetTextCatalogue(QString(), 0x409);
}

struct CentreCase {
    QRect main;
    QSize dialog;
    QPoint expected;
};

class CentreTable : public ::testing::TestWithParam<CentreCase> {};

TEST_P(CentreTable, TruncatesTowardZero)
{
    EXPECT_EQ(CenteredPosition(GetParam().main, GetParam().dialog), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Differences, CentreTable,
    ::testing::Values(CentreCase{QRect(0, 0, 401, 300), QSize(300, 99), QPoint(50, 100)},      // +101: 50 in
                      CentreCase{QRect(0, 0, 199, 100), QSize(300, 201), QPoint(-50, -50)},    // -101: 50 out
                      CentreCase{QRect(10, 20, 400, 300), QSize(300, 100), QPoint(60, 120)},
                      CentreCase{QRect(-500, -40, 300, 100), QSize(101, 51), QPoint(-401, -16)},  // off screen
                      CentreCase{QRect(0, 0, 300, 100), QSize(303, 103), QPoint(-1, -1)}));

TEST(ShowCentered, PlacesTheOuterFrameOverTheMainWindow)
{
    SetTextCatalogue(QString(), 0x411);
    QWidget main;
    main.setGeometry(100, 100, 801, 601);
    TfrmInformation dialog(&main);
    QPoint placed;
    SetDialogRunner([&](QDialog& d) {
        placed = d.pos();
        return mrOk;
    });
    EXPECT_EQ(ShowCentered(dialog, &main), mrOk);
    SetDialogRunner(nullptr);
    EXPECT_EQ(placed, CenteredPosition(main.frameGeometry(), dialog.frameGeometry().size()));
}

// A text longer than its label widens the dialog instead of being cut; a short one brings the
// designed size back.
TEST(ShowCentered, LongTextWidensTheDialog)
{
    SetTextCatalogue(QString(), 0x411);
    TfrmMain main;
    CreateDialogs(&main);
    TfrmInformation& info = *Dialogs().frmInformation;
    SetDialogRunner([](QDialog&) { return mrOk; });
    ShowInformation(InfoMessage(Info::CapacityInsufficient));
    const QLabel& label = *info.lbInformation;
    EXPECT_GE(label.width(), QFontMetrics(label.font()).horizontalAdvance(label.text()));
    EXPECT_GT(info.width(), 281);
    EXPECT_EQ(info.btnOk->x() - (info.width() - 281) / 2, 87);
    ShowInformation(QStringLiteral("OK"));
    EXPECT_EQ(info.size(), QSize(281, 72));
    EXPECT_EQ(info.btnOk->x(), 87);
    SetDialogRunner(nullptr);
}

} // namespace
} // namespace korvane
