#pragma once

#include <QByteArray>
#include <QString>

namespace ortolan {

// Reading and writing INI ("profile") files the way the settings file has always been read:
// section and key names match without regard to case, spaces around a value are dropped, a
// value is cut to 511 characters, and a write changes or adds one line while every other line
// of the file stays as it was. (QSettings would escape values and split them at commas.)
namespace ProfileFile {

inline constexpr int kMaxValueLength = 511;

// The value of key in section, or "" when the file, the section or the key is missing.
QString read(const QString& path, const QString& section, const QString& key);
// The same from the file's bytes.
QString readFromText(const QByteArray& bytes, const QString& section, const QString& key);

// Sets key in section to value, adding the key, the section or the file as needed. The file
// is replaced whole or not at all. False when it could not be written. Line breaks in a value
// would start new lines of the file, so they are written as spaces.
bool write(const QString& path, const QString& section, const QString& key, const QString& value);

} // namespace ProfileFile
} // namespace ortolan
