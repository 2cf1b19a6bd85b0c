#include "map/map_addresses.h"

#include <QFile>
#include <QStandardPaths>
#include <QUrl>

#include "map/map_log.h"

namespace korvane {

Q_LOGGING_CATEGORY(lcMap, "korvane.map")

namespace {

bool IsWebAddress(const QString& text)
{
    const QUrl url(text);
    return url.isValid() && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty();
}

bool IsTileTemplate(const QString& text)
{
    return text.contains(QLatin1String("{z}")) && text.contains(QLatin1String("{x}")) &&
           text.contains(QLatin1String("{y}")) && IsWebAddress(TileServerRoot(text));
}

// The [Maps] section of a small INI file: keys compared case-insensitively, values trimmed,
// one pair of surrounding quotes removed.
QHash<QString, QString> ReadMapsSection(const QString& path)
{
    QHash<QString, QString> values;
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    bool inMaps = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine(4096)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inMaps = line.mid(1, line.size() - 2).trimmed().compare(QLatin1String("Maps"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inMaps || eq <= 0)
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        values.insert(line.left(eq).trimmed().toLower(), value);
    }
    return values;
}

void Apply(QString& target, const QString& value, bool isTemplate, const char* name)
{
    if (value.isNull())
        return;
    if (value.isEmpty() && !isTemplate) {
        target.clear();
        return;
    }
    if (isTemplate ? IsTileTemplate(value) : IsWebAddress(value))
        target = value;
    else
        qCWarning(lcMap) << "ignoring map address" << name << value;
}

} // namespace

MapAddresses DefaultMapAddresses()
{
    MapAddresses a;
    a.terrainTiles = QStringLiteral("https://{s}.tile.opentopomap.org/{z}/{x}/{y}.png");
    a.streetTiles = QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");
    return a;
}

QString MapSettingsPath()
{
    const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return home.isEmpty() ? QString() : home + QStringLiteral("/Korvane/Korvane.conf");
}

QString TileServerRoot(const QString& tileTemplate)
{
    QString text = tileTemplate;
    text.replace(QLatin1String("{s}"), QLatin1String("a"));
    const QUrl url(text);
    if (!url.isValid() || url.host().isEmpty())
        return QString();
    return url.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment).toString() + QLatin1Char('/');
}

MapAddresses LoadMapAddresses(const QString& settingsPath, const QProcessEnvironment& env)
{
    MapAddresses a = DefaultMapAddresses();
    QString connectivity;   // null: follow the street tiles
    bool connectivitySet = false;
    struct Key { const char* file; const char* env; QString* target; bool isTemplate; };
    const QHash<QString, QString> file = ReadMapsSection(settingsPath);
    const Key keys[] = {
        {"terraintiles", "KORVANE_TERRAIN_TILES", &a.terrainTiles, true},
        {"streettiles", "KORVANE_STREET_TILES", &a.streetTiles, true},
        {"connectivityurl", "KORVANE_CONNECTIVITY_URL", &connectivity, false},
        {"updateurl", "KORVANE_UPDATE_URL", &a.updateUrl, false},
    };
    for (const Key& k : keys) {
        const QString fromFile = file.value(QLatin1String(k.file));
        const QString fromEnv = env.value(QLatin1String(k.env));
        const bool inFile = file.contains(QLatin1String(k.file));
        const bool inEnv = env.contains(QLatin1String(k.env));
        if (k.target == &connectivity)
            connectivitySet = inFile || inEnv;
        if (inFile)
            Apply(*k.target, fromFile.isNull() ? QStringLiteral("") : fromFile, k.isTemplate, k.file);
        if (inEnv)
            Apply(*k.target, fromEnv.isNull() ? QStringLiteral("") : fromEnv, k.isTemplate, k.env);
    }
    a.connectivityUrl = connectivitySet && !connectivity.isEmpty() ? connectivity : TileServerRoot(a.streetTiles);
    return a;
}

MapAddresses LoadMapAddresses()
{
    return LoadMapAddresses(MapSettingsPath(), QProcessEnvironment::systemEnvironment());
}

} // namespace korvane
