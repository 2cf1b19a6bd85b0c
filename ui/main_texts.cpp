#include "ui/main_texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>

#include "ui/main_window.h"
#include "ui/text_catalogue.h"

namespace korvane {
namespace {
void SetNamedText(TfrmMain& window, const char* name, const QString& text)
{
    for (QWidget* w : window.findChildren<QWidget*>(QString::fromLatin1(name))) {
        if (w->window() != &window)
            continue;   // a dialog's part of the same name
        if (auto* label = qobject_cast<QLabel*>(w))
            label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(text);
    }
}
} // namespace

void LoadMainTexts(TfrmMain& window)
{
    window.miFile->setTitle(CatalogueText("Menu.File.Caption"));
    window.miOpen->setText(CatalogueText("Menu.FileOpen.Caption"));
    window.miClose->setText(CatalogueText("Menu.Close.Caption"));
    window.miSetup->setTitle(CatalogueText("Menu.Setup.Caption"));
    window.miContinue->setText(CatalogueText("Menu.Continue.Caption"));
    window.miTime->setText(CatalogueText("Menu.Time.Caption"));
    window.miRouteContinue->setText(CatalogueText("Menu.RouteContinue.Caption"));
    window.miClean->setText(CatalogueText("Menu.CleanApp.Caption"));
    window.miBackup->setText(CatalogueText("Menu.Backup.Caption"));
    window.miSnapshot->setText(CatalogueText(keys::kSnapshotMenu));
    window.miSpeedMph->setText(CatalogueText(keys::kSpeedMphMenu));
    window.miMarkIn->setText(CatalogueText(keys::kMarkInMenu));
    window.miMarkOut->setText(CatalogueText(keys::kMarkOutMenu));
    window.miExport->setText(CatalogueText(keys::kExportMenu));
    window.miOtherChannels->setText(CatalogueText(keys::kOtherChannelsMenu));
    window.miHelp->setTitle(CatalogueText("Menu.Help.Caption"));
    window.miAbout->setText(CatalogueText("Menu.About.Caption"));
    SetNamedText(window, "plProcessTitle", CatalogueText("Main.ProcessTitle.Caption"));
    SetNamedText(window, "plWordNormal", CatalogueText("Main.WordNormal.Caption"));
    SetNamedText(window, "plWordEvent", CatalogueText("Main.WordEvent.Caption"));
    SetNamedText(window, "lbBackup", CatalogueText("Main.Label.Backup.Caption"));
    SetNamedText(window, "btnStop", CatalogueText("Main.Btn.Stop.Caption"));
    // Fixed in every language.
    SetNamedText(window, "plTitle", QStringLiteral("PC VIEWER"));
    for (const char* name : {"lbNoInternet", "plGPS", "plGPS_NO", "lbSubtitle", "lbMaxTime", "lbMinTime",
                             "plTime", "lbDataType"})
        SetNamedText(window, name, QString());
}

} // namespace korvane
