#include "map/map_texts.h"

namespace korvane {
namespace {
std::function<QString(const QString&)>& Source()
{
    static std::function<QString(const QString&)> source;
    return source;
}
} // namespace

QString MapTextCatalogueKey(MapTextKey key)
{
    switch (key) {
    case MapTextKey::InstallBrowser: return QStringLiteral("Msg.Map.InstallBrowser");
    }
    return QString();
}

QString MapTextBuiltIn(MapTextKey key)
{
    switch (key) {
    // The same text in every language: the browser runtime must be installed first.
    case MapTextKey::InstallBrowser: return QStringLiteral("最初にQt WebEngineをインストールしてください");
    }
    return QString();
}

void SetMapTextSource(std::function<QString(const QString& key)> lookup) { Source() = std::move(lookup); }

QString MapText(MapTextKey key)
{
    if (Source()) {
        const QString text = Source()(MapTextCatalogueKey(key));
        if (!text.isEmpty())
            return text;
    }
    return MapTextBuiltIn(key);
}

} // namespace korvane
