// Settings files of every shape, checked twice: through the catalogue the viewer loads its
// texts from, and through `korvane-cli texts` that shows a translator the same texts.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>

#include "platform/language_id.h"
#include "ui/text_catalogue.h"

namespace korvane {
namespace {

QByteArray Utf16(const QString& text, bool bigEndian)
{
    QByteArray out = bigEndian ? QByteArray("\xFE\xFF", 2) : QByteArray("\xFF\xFE", 2);
    for (QChar c : text) {
        const char hi = static_cast<char>(c.unicode() >> 8), lo = static_cast<char>(c.unicode() & 0xFF);
        out.append(bigEndian ? hi : lo);
        out.append(bigEndian ? lo : hi);
    }
    return out;
}

QByteArray Utf8(const char* text) { return QByteArray(text); }

struct ProfileCase {
    const char* name;
    QByteArray file;          // empty with noFile: no settings file at all
    bool noFile;
    unsigned language;
    const char* key;
    QString expected;
};

const QString kLong(3000, QLatin1Char('x'));

std::vector<ProfileCase> Cases()
{
    const QString body = QStringLiteral("[0x409]\nMenu.File.Caption=Datei(&D)\n");
    return {
        {"utf16le_bom", Utf16(body, false), false, 0x409, "Menu.File.Caption", "Datei(&D)"},
        {"utf16be_bom", Utf16(body, true), false, 0x409, "Menu.File.Caption", "Datei(&D)"},
        {"utf8_bom", Utf8("\xEF\xBB\xBF[0x411]\nMenu.File.Caption=ファイル\n"), false, 0x411, "Menu.File.Caption",
         QStringLiteral("ファイル")},
        {"utf8_plain_invalid_byte", Utf8("[0x409]\nMenu.File.Caption=A\xFF" "B\n"), false, 0x409,
         "Menu.File.Caption", QStringLiteral("A\uFFFDB")},
        {"utf16_lone_surrogate", Utf16(QStringLiteral("[0x409]\nMenu.File.Caption=A") + QChar(0xD800)
                                           + QStringLiteral("B\n"), false),
         false, 0x409, "Menu.File.Caption", QStringLiteral("A\uFFFDB")},
        {"crlf", Utf8("[0x409]\r\nMenu.File.Caption=Datei\r\n"), false, 0x409, "Menu.File.Caption", "Datei"},
        {"comma_key", Utf8("[0x409]\nDlg.Backup,Cancel.Caption=Abbrechen\n"), false, 0x409,
         "Dlg.Backup,Cancel.Caption", "Abbrechen"},
        {"full_stop_key_does_not_count", Utf8("[0x409]\nDlg.Backup.Cancel.Caption=Abbrechen\n"), false, 0x409,
         "Dlg.Backup,Cancel.Caption", "Cancel"},
        {"ascii_case", Utf8("[0X409]\nmenu.FILE.caption=Datei\n"), false, 0x409, "Menu.File.Caption", "Datei"},
        {"blanks_and_tabs_trimmed", Utf8("  [ 0x409\t]\n \tMenu.File.Caption \t=\t Datei  \n"), false, 0x409,
         "Menu.File.Caption", "Datei"},
        {"section_without_bracket", Utf8("[0x409\nMenu.File.Caption=Datei\n"), false, 0x409, "Menu.File.Caption",
         "Datei"},
        {"double_quotes", Utf8("[0x409]\nDlg.Backup.OK.Caption=\" Go  \"\n"), false, 0x409, "Dlg.Backup.OK.Caption",
         " Go  "},
        {"single_quotes", Utf8("[0x409]\nDlg.Backup.OK.Caption='Go'\n"), false, 0x409, "Dlg.Backup.OK.Caption", "Go"},
        {"mixed_quotes_stay", Utf8("[0x409]\nDlg.Backup.OK.Caption=\"Go'\n"), false, 0x409, "Dlg.Backup.OK.Caption",
         "\"Go'"},
        {"one_quote_stays", Utf8("[0x409]\nDlg.Backup.OK.Caption=\"\n"), false, 0x409, "Dlg.Backup.OK.Caption", "\""},
        {"empty_value_is_not_default", Utf8("[0x409]\nDlg.Backup.OK.Caption=\n"), false, 0x409,
         "Dlg.Backup.OK.Caption", ""},
        {"first_key_counts", Utf8("[0x409]\nMenu.File.Caption=One\nMENU.FILE.CAPTION=Two\n"), false, 0x409,
         "Menu.File.Caption", "One"},
        {"first_section_only", Utf8("[0x409]\nMenu.Time.Caption=T\n[0x409]\nMenu.File.Caption=Two\n"), false, 0x409,
         "Menu.File.Caption", "File(&F)"},
        {"comments_and_plain_lines", Utf8("[0x409]\n; Menu.File.Caption=No\nMenu.File.Caption\nMenu.File.Caption=Yes\n"),
         false, 0x409, "Menu.File.Caption", "Yes"},
        {"value_keeps_later_equals", Utf8("[0x409]\nMenu.File.Caption=a=b\n"), false, 0x409, "Menu.File.Caption", "a=b"},
        {"over_long_value_cut", QByteArray("[0x409]\nDlg.Clean.Caption=") + kLong.toUtf8() + "\n", false, 0x409,
         "Dlg.Clean.Caption", QString(2047, QLatin1Char('x'))},
        {"over_long_message_cut", QByteArray("[0x409]\nMain.Info.CopyFinished.Caption=") + kLong.toUtf8() + "\n",
         false, 0x409, "Main.Info.CopyFinished.Caption", QString(255, QLatin1Char('x'))},
        {"update_notice_first_pair_only",
         Utf8("[0x409]\nDlg.Update.Information.Caption=New.\\n\\nGet it.\\n\\nNow.\n"), false, 0x409,
         "Dlg.Update.Information.Caption", "New.\n\nGet it.\\n\\nNow."},
        {"update_notice_drops_two_after", Utf8("[0x409]\nDlg.Update.Information.Caption=A\\nBCD\n"), false, 0x409,
         "Dlg.Update.Information.Caption", "A\n\nD"},
        {"section_only_for_another_language", Utf8("[0x409]\nMenu.File.Caption=Datei\n"), false, 0x411,
         "Menu.File.Caption", "File(&F)"},
        {"missing_key_english_others_from_file", Utf8("[0x409]\nMenu.File.Caption=Datei\n"), false, 0x409,
         "Menu.Close.Caption", "Close(&X)"},
        {"missing_message_english", Utf8("[0x409]\nMenu.File.Caption=Datei\n"), false, 0x409,
         "Main.Info.CapacityInsufficient.Caption", "Not enough free space: the data cannot be saved."},
        {"own_key_from_file", Utf8("[0x409]\nViewer.PlaybackFailed.Caption=Kaputt:\n"), false, 0x409,
         "Viewer.PlaybackFailed.Caption", "Kaputt:"},
        {"no_file_japanese", {}, true, 0x409, "Menu.Help.Caption", QStringLiteral("ヘルプ&(&H)")},
        {"no_file_japanese_notice", {}, true, 0x409, "Dlg.Update.Information.Caption",
         QStringLiteral("最新バーションのビューアーソフトがあります。\n \nダウンロードサイトで確認してください。")},
        {"english_notice_default", Utf8("[0x409]\n"), false, 0x409, "Dlg.Update.Information.Caption",
         "There is the latest version of viewer software. \n\n Check on the download site."},
    };
}

class ProfileTable : public ::testing::TestWithParam<ProfileCase> {};

// The catalogue answers for the viewer's windows.
TEST_P(ProfileTable, Loader)
{
    const ProfileCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvane.ini"));
    if (!c.noFile) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.file);
    }
    SetTextCatalogue(c.noFile ? QString() : path, c.language);
    EXPECT_EQ(CatalogueText(c.key), c.expected);
    SetTextCatalogue(QString(), 0x409);
}

QMap<QString, QString> RunTexts(const QStringList& args, const QString& folder, int* exitCode, QString* header)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(KORVANE_CLI), QStringList{QStringLiteral("texts")} + args);
    p.waitForFinished(20000);
    *exitCode = p.exitCode();
    QMap<QString, QString> texts;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
    *header = lines.value(0);
    for (const QString& line : lines.mid(1)) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab > 0)
            texts.insert(line.left(tab), line.mid(tab + 1));
    }
    return texts;
}

// `korvane-cli texts` shows the same text, escaped, for a file named with --ini.
TEST_P(ProfileTable, CliWithIni)
{
    const ProfileCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvane.ini"));
    int exitCode = -1;
    QString header;
    if (c.noFile) {
        // Named but missing: the command refuses instead of guessing.
        const auto texts = RunTexts({QStringLiteral("--ini"), path}, dir.path(), &exitCode, &header);
        EXPECT_EQ(exitCode, 2);
        EXPECT_TRUE(texts.isEmpty());
        return;
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(c.file);
    f.close();
    const auto texts = RunTexts({QStringLiteral("--ini"), path, QStringLiteral("--lang"),
                                 QStringLiteral("0x%1").arg(c.language, 0, 16)},
                                dir.path(), &exitCode, &header);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(header, QStringLiteral("# ini=%1 section=%2").arg(path, QString::fromStdString(LanguageSectionName(c.language))));
    EXPECT_EQ(texts.value(QString::fromLatin1(c.key)), EscapeCatalogueText(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileTable, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace korvane
