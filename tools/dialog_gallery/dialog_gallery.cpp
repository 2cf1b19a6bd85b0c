// korvane-dialog-gallery OUTPUT_FOLDER: the main window, its menus and the eleven dialogs, each
// shown over the main window with the texts its callers give it, in the language the catalogue
// chooses (Korvane.ini of the current folder, else the shipped one, else Japanese; the locale
// picks the section). Each screen is saved as OUTPUT_FOLDER/NN-name.png, the whole screen
// with the window manager's frames.
#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdio>

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

using namespace korvane;

namespace {
void Wait(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void Shoot(const QString& folder, int& n, const QString& name)
{
    // KORVANE_GALLERY_WAIT_MS holds each screen longer (to inspect a window by hand).
    Wait(qEnvironmentVariableIntValue("KORVANE_GALLERY_WAIT_MS") + 400);
    const QString path = QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(n++, 2, 10, QLatin1Char('0')).arg(name));
    QGuiApplication::primaryScreen()->grabWindow(0).save(path);
    std::printf("%s\n", path.toUtf8().constData());
    std::fflush(stdout);
}

struct Job : ProcessJob {
    int JobDone() const override { return 2; }
    int JobTotal() const override { return 5; }
    bool Ended() const override { return false; }
    void RequestStop() override {}
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvane-dialog-gallery OUTPUT_FOLDER\n");
        return 64;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    InitTextCatalogue(QDir::currentPath());
    std::printf("# ini=%s section=%s\n", Catalogue().iniPath.toUtf8().constData(),
                Catalogue().languageSection.toUtf8().constData());

    TfrmMain main;
    main.setWindowTitle(QStringLiteral("Korvane"));
    LoadMainTexts(main);
    const DialogFamily& f = CreateDialogs(&main);
    main.setGeometry(200, 120, 1100, 700);
    main.show();
    int n = 1;
    Shoot(out, n, QStringLiteral("main"));
    for (QMenu* menu : {main.miFile, main.miSetup, main.miHelp}) {
        menu->popup(main.mapToGlobal(main.menuBar()->actionGeometry(menu->menuAction()).bottomLeft()));
        Shoot(out, n, QStringLiteral("menu"));
        menu->hide();
    }

    // Each dialog as its caller prepares it; the modal showing ends after its screenshot.
    Job job;
    f.frmProcess->SetJob(&job);
    f.frmBackup->lbDestFolderName->setText(QStringLiteral("Backup"));
    f.frmClean->lbFolderName->setText(QStringLiteral("DCIM"));
    f.frmCheck->lbInformation->setText(InfoMessage(Info::CheckDelete));
    f.frmCheck1->lbInformation1->setText(InfoMessage(Info::FolderAlreadyExists));
    f.frmCheck1->lbInformation2->setText(InfoMessage(Info::CopyReplace));
    f.frmInformation->lbInformation->setText(InfoMessage(Info::CapacityInsufficient));
    f.frmInformation1->lbInformation1->setText(InfoMessage(Info::OverMaxFile));
    f.frmInformation1->lbInformation2->setText(InfoMessage(Info::Over240MaxFile));
    const std::pair<QDialog*, const char*> dialogs[] = {
        {f.frmAbout, "about"},       {f.frmBackup, "backup"},           {f.frmCheck, "check"},
        {f.frmCheck1, "check1"},     {f.frmClean, "clean"},             {f.frmClose, "close"},
        {f.frmInformation, "information"}, {f.frmInformation1, "information1"},
        {f.frmProcess, "process"},   {f.frmUpdate, "update"},
    };
    for (const auto& [dialog, name] : dialogs) {
        if (dialog == f.frmProcess) {
            f.frmProcess->Prepare(InfoMessage(Info::SavingFile), true, true);
            f.frmProcess->tmProcessTimer();   // one poll: "2/5" and the fill
        }
        QDialog* d = dialog;
        const QString label = QString::fromLatin1(name);
        QTimer::singleShot(0, [&, d, label] {
            Shoot(out, n, label);
            if (d == f.frmProcess)
                f.frmProcess->btnEnd->click();
            else
                d->done(mrCancel);
        });
        ShowCentered(*d, &main);
    }
    // The self-closing dialog is up for about 10 ms: it only has to close by itself.
    const int dummy = ShowCentered(*f.frmDummy, &main);
    std::printf("dummy closed itself with %d\n", dummy);
    return 0;
}
