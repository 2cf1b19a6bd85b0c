#include "ui/text_catalogue.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "platform/bounded_read.h"
#include "platform/language_id.h"

Q_LOGGING_CATEGORY(lcTexts, "korvane.texts")

namespace korvane {
namespace {
const char kFileName[] = "Korvane.ini";

TextCatalogue& Mutable()
{
    static TextCatalogue catalogue = [] {
        TextCatalogue c;
        c.languageSection = QStringLiteral("0x409");
        for (int i = 0; i < kInfoCount; ++i)
            c.infoMessages[i] = QString::fromUtf8(MessageRows()[i].japanese);
        return c;
    }();
    return catalogue;
}

bool IsFile(const QString& path) { return QFileInfo(path).exists() && !QFileInfo(path).isDir(); }

void LoadMessages(TextCatalogue& c)
{
    for (int i = 0; i < kInfoCount; ++i) {
        const TextRow& row = MessageRows()[i];
        c.infoMessages[i] = CutText(LoadText(QString::fromLatin1(row.key), QString::fromUtf8(row.english),
                                             QString::fromUtf8(row.japanese)),
                                    kMessageMax);
    }
}
} // namespace

const TextCatalogue& Catalogue() { return Mutable(); }

QString ShippedSettingsFile()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        const QString installed = QFile::decodeName(QByteArray::fromStdString(
            (self.parent_path().parent_path() / "share" / "korvane" / kFileName).string()));
        if (IsFile(installed))
            return QFileInfo(installed).absoluteFilePath();
    }
#ifdef KORVANE_BUILD_DATA_DIR
    const QString built = QStringLiteral(KORVANE_BUILD_DATA_DIR "/") + QLatin1String(kFileName);
    if (IsFile(built))
        return built;
#endif
    return {};
}

QString FindSettingsFile(const QString& startFolder)
{
    // A path longer than the buffer holds counts as absent rather than being cut into the name
    // of another file.
    const QString local = QDir(startFolder).filePath(QLatin1String(kFileName));
    if (local.size() <= kIniPathMax && IsFile(local))
        return local;
    const QString shipped = ShippedSettingsFile();
    if (shipped.size() <= kIniPathMax)
        return shipped;
    return {};
}

void SetTextCatalogue(const QString& iniPath, unsigned languageId)
{
    TextCatalogue& c = Mutable();
    c.iniPath = iniPath;
    c.languageSection = QString::fromStdString(LanguageSectionName(languageId));
    c.profile = {};
    if (!iniPath.isEmpty()) {
        // The start directory can be the card: only a small regular file is read.
        const BoundedRead file = ReadSmallRegularFile(iniPath, ProfileFile::kFileMax);
        if (file.status == BoundedRead::Status::Ok)
            c.profile = ProfileFile::Parse(file.bytes);
        else
            qCWarning(lcTexts) << "cannot read" << iniPath << file.reason << "- English texts";
    }
    LoadMessages(c);
    qCInfo(lcTexts) << "texts from" << (iniPath.isEmpty() ? QStringLiteral("(built-in Japanese)") : iniPath)
                    << "section" << c.languageSection;
}

void InitTextCatalogue(const QString& startFolder)
{
    SetTextCatalogue(FindSettingsFile(startFolder), UserLanguageId());
}

QString LoadText(const QString& key, const QString& english, const QString& japanese)
{
    const TextCatalogue& c = Catalogue();
    if (c.iniPath.isEmpty())
        return japanese;
    return c.profile.Get(c.languageSection, key, CutText(english, ProfileFile::kValueMax));
}

QString ApplyUpdateLineBreaks(const QString& text)
{
    const qsizetype at = text.indexOf(QLatin1String("\\n"));
    if (at < 0)
        return text;
    return text.left(at) + QStringLiteral("\n\n") + text.mid(at + 4);
}

QString RowText(const TextRow& row)
{
    if (!row.key)
        return QString::fromUtf8(Catalogue().iniPath.isEmpty() || !row.english ? row.japanese : row.english);
    for (int i = 0; i < kInfoCount; ++i)
        if (&row == &MessageRows()[i])
            return Catalogue().infoMessages[i];
    QString text = LoadText(QString::fromLatin1(row.key), QString::fromUtf8(row.english),
                            QString::fromUtf8(row.japanese));
    if (!Catalogue().iniPath.isEmpty() && qstrcmp(row.key, keys::kUpdateInformation) == 0)
        text = ApplyUpdateLineBreaks(text);
    return text;
}

QString CatalogueText(const QString& key)
{
    const TextRow* row = FindTextRow(key);
    return row ? RowText(*row) : QString();
}

QString CatalogueText(const char* key) { return CatalogueText(QString::fromLatin1(key)); }

const QString& InfoMessage(Info which) { return Catalogue().infoMessages[static_cast<int>(which)]; }

QList<QPair<QString, QString>> ResolvedCatalogue()
{
    QList<QPair<QString, QString>> out;
    for (auto table : {MainWindowRows(), MessageRows(), DialogRows(), ViewerRows()})
        for (const TextRow& row : table)
            if (row.key)
                out.append({QString::fromLatin1(row.key), RowText(row)});
    return out;
}

QString EscapeCatalogueText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar ch : text) {
        switch (ch.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default: out += ch;
        }
    }
    return out;
}

} // namespace korvane
