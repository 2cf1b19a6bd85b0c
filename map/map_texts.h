#pragma once
// The map view's user-visible texts. They come from the text catalogue once it is wired
// (SetMapTextSource); until then the built-in texts stand.
#include <QString>
#include <functional>

namespace korvane {

enum class MapTextKey { InstallBrowser };

// The catalogue key of a text and its built-in value.
QString MapTextCatalogueKey(MapTextKey key);
QString MapTextBuiltIn(MapTextKey key);

// Looks a key up in the catalogue; an empty answer keeps the built-in text.
void SetMapTextSource(std::function<QString(const QString& key)> lookup);
QString MapText(MapTextKey key);

} // namespace korvane
