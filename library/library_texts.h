#pragma once
// The few user-visible texts of the recordings library. Until the text catalogue is loaded the
// built-in English texts are used; the catalogue installs its lookup with SetLibraryTextSource.
#include <QString>
#include <functional>

namespace korvane {

// Keys as the catalogue knows them: "Main.Info.OverMaxFile.Caption",
// "Main.Info.Over240MaxFile.Caption".
QString LibraryText(const QString& key);

// A lookup that returns the text for a key, or an empty text to fall back on the built-in one.
using LibraryTextSource = std::function<QString(const QString& key)>;
void SetLibraryTextSource(LibraryTextSource source);

// Keys of texts the catalogue does not have yet fall back on these too:
// "Library.PathTooLong.Caption" (a recording whose path the kernel cannot take whole),
// "Library.NoPlaybackChannel" (the shared block could not be opened at start-up).

// Texts that are the same in every language.
inline QString FileNotFoundText() { return QStringLiteral("ファイルが見つかりません!"); }
inline QString CannotMakeThumbnailsText() { return QStringLiteral("サムネイルを作成できません!"); }

} // namespace korvane
