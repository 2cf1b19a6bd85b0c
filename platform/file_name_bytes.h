#pragma once
// File names as the system holds them: bytes. A name that is not valid UTF-8 still has to reach
// the file it names, so its text form keeps each stray byte as the lone surrogate U+DC80 + byte
// (the "surrogate escape" form), and the byte form gives exactly the original bytes back.
// Names that are valid UTF-8 convert as QFile::decodeName/encodeName do.
#include <QByteArray>
#include <QString>

namespace korvane {

QString DecodeFileNameBytes(const QByteArray& bytes);
QByteArray EncodeFileNameBytes(const QString& name);

// True when `path` (in the form above) names a regular file, following links as QFileInfo does.
bool IsRegularFileName(const QString& path);

} // namespace korvane
