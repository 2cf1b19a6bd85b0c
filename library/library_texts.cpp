#include "library/library_texts.h"

#include <QHash>

namespace korvane {
namespace {
LibraryTextSource& Source()
{
    static LibraryTextSource source;
    return source;
}

QString BuiltIn(const QString& key)
{
    static const QHash<QString, QString> texts = {
        {QStringLiteral("Main.Info.OverMaxFile.Caption"),
         QStringLiteral("The maximum number of recordings that can be read was exceeded.")},
        {QStringLiteral("Main.Info.Over240MaxFile.Caption"),
         QStringLiteral("Recordings beyond 240 cannot be shown.")},
        {QStringLiteral("Library.PathTooLong.Caption"),
         QStringLiteral("The path of this recording is too long to play it. Move the folder to a shorter path.")},
        {QStringLiteral("Library.NoPlaybackChannel"),
         QStringLiteral("Recordings cannot be played: the playback channel could not be opened at start-up "
                        "(ERROR 0x6006). Restart the viewer.")},
    };
    return texts.value(key);
}
} // namespace

QString LibraryText(const QString& key)
{
    if (Source()) {
        const QString t = Source()(key);
        if (!t.isEmpty())
            return t;
    }
    return BuiltIn(key);
}

void SetLibraryTextSource(LibraryTextSource source) { Source() = std::move(source); }

} // namespace korvane
