// korvane-cli texts [--ini FILE] [--lang 0xNNN]: the viewer's whole text catalogue as the
// viewer resolves it, so a translator sees what each screen will say.
//   # ini=PATH section=0xNNN
//   KEY<TAB>TEXT   (TEXT with \ \n \r \t escaped)
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QString>

#include "platform/language_id.h"
#include "tools/cli/cli_commands.h"
#include "ui/text_catalogue.h"

namespace korvane::cli {
namespace {
int Usage()
{
    std::fprintf(stderr, "korvane-cli: usage: korvane-cli texts [--ini FILE] [--lang 0xNNN]\n");
    return ExitUsage;
}

bool ParseLanguage(const std::string& text, unsigned& id)
{
    bool ok = false;
    const QString t = QString::fromStdString(text);
    if (!t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return false;
    const uint value = t.mid(2).toUInt(&ok, 16);
    if (!ok || value == 0 || value > 0xFFFF)
        return false;
    id = value;
    return true;
}
} // namespace

int RunTexts(const std::vector<std::string>& args)
{
    // Standard error keeps the warnings only (an unreadable file), not the start-up note.
    QLoggingCategory::setFilterRules(QStringLiteral("korvane.texts.info=false\nkorvane.texts.debug=false"));
    std::optional<std::string> ini;
    unsigned language = UserLanguageId();
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--ini" && i + 1 < args.size())
            ini = args[++i];
        else if (args[i] == "--lang" && i + 1 < args.size()) {
            if (!ParseLanguage(args[++i], language))
                return Usage();
        } else
            return Usage();
    }
    QString path;
    if (ini) {
        const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(*ini)));
        if (!info.exists() || info.isDir()) {
            std::fprintf(stderr, "korvane-cli: no settings file '%s'\n", ini->c_str());
            return ExitNoFile;
        }
        path = info.absoluteFilePath();
    } else {
        path = FindSettingsFile(QDir::currentPath());
    }
    SetTextCatalogue(path, language);
    std::printf("# ini=%s section=%s\n", path.toUtf8().constData(),
                Catalogue().languageSection.toUtf8().constData());
    for (const auto& [key, text] : ResolvedCatalogue())
        std::printf("%s\t%s\n", key.toUtf8().constData(), EscapeCatalogueText(text).toUtf8().constData());
    return ExitOk;
}

} // namespace korvane::cli
