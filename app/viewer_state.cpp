// The viewer's own state file; see viewer_state.h.
#include "app/viewer_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QSaveFile>
#include <QStringList>
#include <cmath>

#include "map/map_addresses.h"

namespace korvane {

Q_LOGGING_CATEGORY(lcState, "korvane.app.state")

namespace {

constexpr qint64 kMaxStateBytes = 1 << 20;

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines = QString::fromUtf8(file.read(kMaxStateBytes)).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

bool IsSection(const QString& trimmed, QString* name)
{
    if (!trimmed.startsWith(QLatin1Char('[')) || !trimmed.endsWith(QLatin1Char(']')))
        return false;
    *name = trimmed.mid(1, trimmed.size() - 2).trimmed();
    return true;
}

// key (lower case) -> value of one section, keys and section names compared case-insensitively.
QHash<QString, QString> Section(const QStringList& lines, const QString& wanted)
{
    QHash<QString, QString> values;
    bool inside = false;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        QString name;
        if (IsSection(line, &name)) {
            inside = name.compare(wanted, Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inside || eq <= 0 || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        QString value = line.mid(eq + 1);
        const qsizetype comment = value.indexOf(QLatin1Char(';'));
        if (comment >= 0)
            value.truncate(comment);
        values.insert(line.left(eq).trimmed().toLower(), value.trimmed());
    }
    return values;
}

void ReadNumber(const QHash<QString, QString>& section, const char* key, double low, double high, double& target)
{
    const QString text = section.value(QString::fromLatin1(key).toLower());
    if (text.isEmpty())
        return;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (ok && std::isfinite(v) && v >= low && v <= high)
        target = v;
    else
        qCWarning(lcState) << "ignoring [Events]" << key << text;
}

} // namespace

QString ViewerStatePath() { return MapSettingsPath(); }

ViewerState LoadViewerState(const QString& path)
{
    ViewerState state;
    const QStringList lines = ReadLines(path);
    const QHash<QString, QString> events = Section(lines, QStringLiteral("Events"));
    ReadNumber(events, "GForce", 0, 20, state.events.gForce);
    ReadNumber(events, "BrakingKmhPerS", 0, 500, state.events.brakingKmhPerS);
    ReadNumber(events, "PreEventSeconds", 0, 90, state.events.preEventSeconds);
    const QString mph = Section(lines, QStringLiteral("Units")).value(QStringLiteral("speedinmph")).toLower();
    state.speedInMph = mph == QLatin1String("true") || mph == QLatin1String("1") || mph == QLatin1String("yes");
    return state;
}

Expected<void, StateSaveError> SaveStateValue(const QString& path, const QString& section, const QString& key,
                                              const QString& value)
{
    if (path.isEmpty()) {
        qCWarning(lcState) << "no configuration folder: not saving" << key;
        return Unexpected(StateSaveError::NoPath);
    }
    QStringList lines = ReadLines(path);
    const QString entry = key + QLatin1Char('=') + value;
    qsizetype sectionAt = -1, insertAt = -1;
    bool done = false;
    for (qsizetype i = 0; i < lines.size() && !done; ++i) {
        const QString line = lines[i].trimmed();
        QString name;
        if (IsSection(line, &name)) {
            if (sectionAt >= 0)
                break;
            if (name.compare(section, Qt::CaseInsensitive) == 0)
                sectionAt = insertAt = i + 1;
            continue;
        }
        if (sectionAt < 0)
            continue;
        if (!line.isEmpty())
            insertAt = i + 1;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done && sectionAt >= 0) {
        lines.insert(insertAt, entry);
    } else if (!done) {
        if (!lines.isEmpty() && !lines.last().trimmed().isEmpty())
            lines << QString();
        lines << QLatin1Char('[') + section + QLatin1Char(']') << entry;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0 ||
        !file.commit()) {
        qCWarning(lcState) << "cannot save" << key << "to" << path << file.errorString();
        return Unexpected(StateSaveError::CannotWrite);
    }
    return {};
}

} // namespace korvane
