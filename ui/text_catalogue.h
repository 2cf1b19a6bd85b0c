#pragma once
// The text catalogue: where Korvane.ini is found, which section is read, the lookup of one text
// with its language rule, and the fifteen message buffers of the main window.
//
// With a settings file, every text is read from the section of the user's language and a
// missing key (or section) gives the English built-in text; without a settings file every text
// is the Japanese built-in one. The catalogue is set once at start-up, before any window loads
// its texts.
#include <QList>
#include <QLoggingCategory>
#include <QPair>
#include <QString>
#include <array>

#include "ui/profile_file.h"
#include "ui/text_tables.h"

Q_DECLARE_LOGGING_CATEGORY(lcTexts)

namespace korvane {

inline constexpr int kIniPathMax = 255;   // characters of iniPath
inline constexpr int kMessageMax = 255;   // characters of one message buffer

struct TextCatalogue {
    QString iniPath;           // the settings file in use, or empty
    QString languageSection;   // "0x411", "0x409", ...
    ProfileFile profile;       // the parsed file (no sections when unreadable)
    std::array<QString, kInfoCount> infoMessages;
};

const TextCatalogue& Catalogue();

// The settings file shipped with the program: <prefix>/share/korvane/Korvane.ini beside the
// installed executable, else its copy in the build tree; empty when neither exists.
QString ShippedSettingsFile();

// The settings file the viewer uses: Korvane.ini in the start folder, else the shipped one;
// empty when there is none (or its path is longer than iniPath can hold).
QString FindSettingsFile(const QString& startFolder);

// Start-up: finds the file, takes the section from the locale, reads the file and loads the
// message buffers.
void InitTextCatalogue(const QString& startFolder);
// The same with the file (empty: none) and the language id given.
void SetTextCatalogue(const QString& iniPath, unsigned languageId);

// One text by the language rule: Japanese without a file, else the file's value or English.
QString LoadText(const QString& key, const QString& english, const QString& japanese);

// The text a catalogue key shows on screen: the messages as their buffers hold them, the
// update notice after its line-break rule. An unknown key gives an empty text.
QString CatalogueText(const QString& key);
QString CatalogueText(const char* key);
const QString& InfoMessage(Info which);
// The text of a table row (rows without a key are fixed texts).
QString RowText(const TextRow& row);

// The first "\n" (backslash, n) becomes two line feeds and the two characters after it are
// dropped, so the file writes \n\n where the notice has an empty line.
QString ApplyUpdateLineBreaks(const QString& text);

// Every key of the catalogue with its text, in the order `korvane-cli texts` prints them.
QList<QPair<QString, QString>> ResolvedCatalogue();

// Backslash, line feed, carriage return and tab written as \\, \n, \r and \t.
QString EscapeCatalogueText(const QString& text);

} // namespace korvane
