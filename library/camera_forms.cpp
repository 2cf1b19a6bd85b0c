#include "library/camera_forms.h"
#include "library/catalogue.h"

#include <QDate>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>

namespace korvane {

int GroupOfMode(CameraMode mode)
{
    switch (mode) {
    case CameraMode::Normal:
    case CameraMode::Parking:
    case CameraMode::Recent: return kGroupNormal;
    default: return kGroupEvent;
    }
}

const char* ModeWord(CameraMode mode)
{
    switch (mode) {
    case CameraMode::Normal: return "normal";
    case CameraMode::Parking: return "parking";
    case CameraMode::Recent: return "recent";
    case CameraMode::Event: return "event";
    case CameraMode::Locked: return "locked";
    case CameraMode::Manual: return "manual";
    case CameraMode::Saved: return "saved";
    case CameraMode::Sentry: return "sentry";
    }
    return "normal";
}

QStringView ChannelOrder(CameraForm form)
{
    switch (form) {
    case CameraForm::DatedSequence: return u"FRTI";
    case CameraForm::LetteredChannel: return u"ABC";
    case CameraForm::ShortYear: return u"FRB";
    case CameraForm::ClipFolders: return u"FBLRPQ";
    default: return u"FRI";
    }
}

QString StartText(qint64 start)
{
    const qint64 days = start >= 0 ? start / 86400 : (start - 86399) / 86400;
    const qint64 secs = start - days * 86400;
    const QDate d = QDate::fromJulianDay(days + 2440588);
    return QStringLiteral("%1/%2/%3 %4:%5:%6")
        .arg(d.year(), 4, 10, QLatin1Char('0'))
        .arg(d.month(), 2, 10, QLatin1Char('0'))
        .arg(d.day(), 2, 10, QLatin1Char('0'))
        .arg(secs / 3600, 2, 10, QLatin1Char('0'))
        .arg(secs / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(secs % 60, 2, 10, QLatin1Char('0'));
}

namespace {

int Num(const QRegularExpressionMatch& m, int group) { return m.capturedView(group).toInt(); }

// The start time of the captured date and time, or nothing for an impossible one.
std::optional<qint64> Start(int year, int month, int day, int hour, int minute, int second)
{
    const QDate d(year, month, day);
    if (!d.isValid() || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return (d.toJulianDay() - 2440588) * 86400 + hour * 3600 + minute * 60 + second;
}

// Stamps written as one run of digits: "YYYYMMDD" + "HHMMSS" (or "YYMMDD").
std::optional<qint64> StartOfDigits(QStringView date, QStringView time)
{
    const int y = date.size() == 8 ? date.left(4).toInt() : 2000 + date.left(2).toInt();
    const QStringView md = date.right(4);
    return Start(y, md.left(2).toInt(), md.right(2).toInt(), time.left(2).toInt(), time.mid(2, 2).toInt(),
                 time.right(2).toInt());
}

// The folders above the name, lower case.
QStringList Folders(QStringView path)
{
    QStringList parts = path.toString().toLower().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!parts.isEmpty())
        parts.removeLast();
    return parts;
}

// The mode a folder says, for names that do not say it themselves.
std::optional<CameraMode> ModeOfFolders(const QStringList& folders)
{
    for (auto it = folders.crbegin(); it != folders.crend(); ++it) {
        const QString& f = *it;
        if (f == QLatin1String("ro") || f.startsWith(QLatin1String("lock")))
            return CameraMode::Locked;
        if (f.endsWith(QLatin1String("_emer")) || f == QLatin1String("evt_rec") || f == QLatin1String("emr")
            || f == QLatin1String("event") || f == QLatin1String("emergency"))
            return CameraMode::Event;
        if (f.endsWith(QLatin1String("_park")) || f == QLatin1String("parking_rec") || f == QLatin1String("parking")
            || f == QLatin1String("park"))
            return CameraMode::Parking;
        if (f.endsWith(QLatin1String("_manu")) || f == QLatin1String("manual_rec") || f == QLatin1String("manual"))
            return CameraMode::Manual;
        if (f.endsWith(QLatin1String("_norm")) || f == QLatin1String("cont_rec") || f == QLatin1String("normal"))
            return CameraMode::Normal;
    }
    return std::nullopt;
}

CameraMode ModeOfLetter(QChar c)
{
    switch (c.toUpper().unicode()) {
    case 'E': return CameraMode::Event;
    case 'P': return CameraMode::Parking;
    case 'M': return CameraMode::Manual;
    default: return CameraMode::Normal;
    }
}

using Rx = QRegularExpression;
constexpr auto kOptions = Rx::CaseInsensitiveOption;

std::optional<FormName> DatedSequence(QStringView name, const QStringList& folders)
{
    // "2023_0101_120000_0001[P|E]F.MP4" and "20230101120000_000001[F].MP4"
    static const Rx older(QStringLiteral("^(\\d{4})_(\\d{2})(\\d{2})_(\\d{2})(\\d{2})(\\d{2})_(\\d{4})([PE]?)([FRTI])\\.(?:mp4|mov|ts)$"), kOptions);
    static const Rx newer(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})(\\d{2})(\\d{2})(\\d{2})_(\\d{6})([PE]?)([FRTI]?)\\.(?:mp4|mov|ts)$"), kOptions);
    QRegularExpressionMatch m = older.match(name);
    if (!m.hasMatch())
        m = newer.match(name);
    if (!m.hasMatch())
        return std::nullopt;
    // Letters in the name are upper case whatever the extension is.
    for (int g : {8, 9})
        if (m.capturedView(g).toString() != m.capturedView(g).toString().toUpper())
            return std::nullopt;
    const auto start = Start(Num(m, 1), Num(m, 2), Num(m, 3), Num(m, 4), Num(m, 5), Num(m, 6));
    if (!start)
        return std::nullopt;
    FormName f;
    f.form = CameraForm::DatedSequence;
    f.start = *start;
    f.sequence = Num(m, 7);
    f.channel = m.capturedView(9).isEmpty() ? QChar(u'F') : m.capturedView(9).at(0);
    f.mode = m.capturedView(8).isEmpty() ? CameraMode::Normal : ModeOfLetter(m.capturedView(8).at(0));
    if (!folders.isEmpty() && folders.last() == QLatin1String("ro"))
        f.mode = CameraMode::Locked;
    return f;
}

std::optional<FormName> ModeChannel(QStringView name, const QStringList&)
{
    static const Rx rx(QStringLiteral("^(\\d{8})_(\\d{6})_([NEPM])(I?)([FRI])\\.mp4$"), kOptions);
    const QRegularExpressionMatch m = rx.match(name);
    if (!m.hasMatch() || m.capturedView(3).toString().toUpper() != m.capturedView(3).toString()
        || m.capturedView(5).toString().toUpper() != m.capturedView(5).toString())
        return std::nullopt;
    const auto start = StartOfDigits(m.capturedView(1), m.capturedView(2));
    if (!start)
        return std::nullopt;
    return FormName{CameraForm::ModeChannel, *start, ModeOfLetter(m.capturedView(3).at(0)), m.capturedView(5).at(0), -1};
}

std::optional<FormName> UnderscoredDate(QStringView name, const QStringList& folders)
{
    static const Rx rx(QStringLiteral("^(\\d{4})_(\\d{2})_(\\d{2})_(\\d{2})(\\d{2})(\\d{2})_(00|02)_([FRI])\\.mp4$"), kOptions);
    const QRegularExpressionMatch m = rx.match(name);
    if (!m.hasMatch() || !m.capturedView(8).at(0).isUpper())
        return std::nullopt;
    const auto start = Start(Num(m, 1), Num(m, 2), Num(m, 3), Num(m, 4), Num(m, 5), Num(m, 6));
    if (!start)
        return std::nullopt;
    // The folder ("front_norm", "rear_emer") says the mode; without one, 02 marks an event.
    const CameraMode byNumber = m.capturedView(7) == u"02" ? CameraMode::Event : CameraMode::Normal;
    return FormName{CameraForm::UnderscoredDate, *start, ModeOfFolders(folders).value_or(byNumber),
                    m.capturedView(8).at(0), -1};
}

std::optional<FormName> PrefixedStamp(QStringView name, const QStringList&)
{
    static const Rx rx(QStringLiteral("^(REC|EVT|MAN|PARK)_(\\d{4})_(\\d{2})_(\\d{2})_(\\d{2})_(\\d{2})_(\\d{2})_([FRI])\\.mp4$"), kOptions);
    const QRegularExpressionMatch m = rx.match(name);
    if (!m.hasMatch() || name.left(m.capturedLength(1)).toString() != m.capturedView(1).toString().toUpper()
        || !m.capturedView(8).at(0).isUpper())
        return std::nullopt;
    const auto start = Start(Num(m, 2), Num(m, 3), Num(m, 4), Num(m, 5), Num(m, 6), Num(m, 7));
    if (!start)
        return std::nullopt;
    const QStringView p = m.capturedView(1);
    const CameraMode mode = p == u"EVT" ? CameraMode::Event
                          : p == u"MAN" ? CameraMode::Manual
                          : p == u"PARK" ? CameraMode::Parking
                                         : CameraMode::Normal;
    return FormName{CameraForm::PrefixedStamp, *start, mode, m.capturedView(8).at(0), -1};
}

std::optional<FormName> DashedStamp(QStringView name, const QStringList&)
{
    static const Rx rx(QStringLiteral("^(NO|EV|PA)(\\d{8})-(\\d{6})-(\\d{6})([FBRI])\\.mp4$"), kOptions);
    const QRegularExpressionMatch m = rx.match(name);
    if (!m.hasMatch() || m.capturedView(1).toString() != m.capturedView(1).toString().toUpper()
        || !m.capturedView(5).at(0).isUpper())
        return std::nullopt;
    const auto start = StartOfDigits(m.capturedView(2), m.capturedView(3));
    if (!start)
        return std::nullopt;
    const QStringView p = m.capturedView(1);
    const CameraMode mode = p == u"EV" ? CameraMode::Event : p == u"PA" ? CameraMode::Parking : CameraMode::Normal;
    const QChar ch = m.capturedView(5).at(0) == u'B' ? QChar(u'R') : m.capturedView(5).at(0);  // B is the rear too
    return FormName{CameraForm::DashedStamp, *start, mode, ch, Num(m, 4)};
}

std::optional<FormName> LetteredChannel(QStringView name, const QStringList&)
{
    static const Rx rx(QStringLiteral("^(\\d{8})_(\\d{6})_(\\d{4})_([NEPM])_([ABC])\\.mp4$"), kOptions);
    const QRegularExpressionMatch m = rx.match(name);
    if (!m.hasMatch() || !m.capturedView(4).at(0).isUpper() || !m.capturedView(5).at(0).isUpper())
        return std::nullopt;
    const auto start = StartOfDigits(m.capturedView(1), m.capturedView(2));
    if (!start)
        return std::nullopt;
    return FormName{CameraForm::LetteredChannel, *start, ModeOfLetter(m.capturedView(4).at(0)), m.capturedView(5).at(0),
                    Num(m, 3)};
}

std::optional<FormName> ShortYear(QStringView name, const QStringList& folders)
{
    static const Rx rx(QStringLiteral("^(\\d{6})_(\\d{6})_(\\d{3})_([BFR])([HL])\\.mp4$"), kOptions);
    const QRegularExpressionMatch m = rx.match(name);
    if (!m.hasMatch() || !m.capturedView(4).at(0).isUpper() || !m.capturedView(5).at(0).isUpper())
        return std::nullopt;
    const auto start = StartOfDigits(m.capturedView(1), m.capturedView(2));
    if (!start)
        return std::nullopt;
    return FormName{CameraForm::ShortYear, *start, ModeOfFolders(folders).value_or(CameraMode::Normal),
                    m.capturedView(4).at(0), Num(m, 3)};
}

std::optional<FormName> ClipFolders(QStringView name, const QStringList& folders)
{
    static const Rx rx(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})_(\\d{2})-(\\d{2})-(\\d{2})-"
                                      "(front|back|left_repeater|right_repeater|left_pillar|right_pillar)\\.mp4$"),
                       kOptions);
    // RecentClips/<clip>, SavedClips/<event>/<clip>, SentryClips/<event>/<clip>, at any depth
    // below the folder scanned.
    CameraMode mode;
    const qsizetype n = folders.size();
    if (n >= 1 && folders[n - 1] == QLatin1String("recentclips"))
        mode = CameraMode::Recent;
    else if (n >= 2 && folders[n - 2] == QLatin1String("savedclips"))
        mode = CameraMode::Saved;
    else if (n >= 2 && folders[n - 2] == QLatin1String("sentryclips"))
        mode = CameraMode::Sentry;
    else
        return std::nullopt;
    const QRegularExpressionMatch m = rx.match(name);
    if (!m.hasMatch() || m.capturedView(7).toString() != m.capturedView(7).toString().toLower())
        return std::nullopt;
    const auto start = Start(Num(m, 1), Num(m, 2), Num(m, 3), Num(m, 4), Num(m, 5), Num(m, 6));
    if (!start)
        return std::nullopt;
    const QStringView cam = m.capturedView(7);
    const QChar ch = cam == u"front" ? u'F' : cam == u"back" ? u'B' : cam == u"left_repeater" ? u'L'
                   : cam == u"right_repeater" ? u'R' : cam == u"left_pillar" ? u'P' : u'Q';
    return FormName{CameraForm::ClipFolders, *start, mode, ch, -1};
}

} // namespace

std::optional<FormName> ParseExportClip(QStringView name, QStringView folderLower)
{
    static const Rx rx(QStringLiteral("^(\\d{8})-(\\d{6})_\\d{1,6}s(-\\d{1,4})?$"));
    if (name.compare(QLatin1String("clip.mp4"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QRegularExpressionMatch m = rx.match(folderLower);
    if (!m.hasMatch())
        return std::nullopt;
    const auto start = StartOfDigits(m.capturedView(1), m.capturedView(2));
    if (!start)
        return std::nullopt;
    return FormName{CameraForm::ExportFolder, *start, CameraMode::Saved, u'F', -1};
}

std::optional<FormName> ParseFormName(QStringView relativePath)
{
    const qsizetype slash = relativePath.lastIndexOf(u'/');
    return ParseFormName(relativePath.mid(slash + 1), slash > 0 ? Folders(relativePath) : QStringList());
}

std::optional<FormName> ParseFormName(QStringView name, const QStringList& foldersLower)
{
    // Every form is 18 to 40 characters long.
    if (!foldersLower.isEmpty())
        if (auto f = ParseExportClip(name, foldersLower.last()))
            return f;
    if (name.size() < 18 || name.size() > 40 || name.startsWith(u'.'))
        return std::nullopt;
    using Parser = std::optional<FormName> (*)(QStringView, const QStringList&);
    static const Parser kParsers[] = {DatedSequence, ModeChannel, UnderscoredDate, PrefixedStamp,
                                      DashedStamp, LetteredChannel, ShortYear, ClipFolders};
    for (Parser p : kParsers)
        if (auto f = p(name, foldersLower))
            return f;
    return std::nullopt;
}

} // namespace korvane
