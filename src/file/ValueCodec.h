#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace ortolan {

// How task-list values become bytes and back.
//
// Files are Windows-1252 text. So that any value survives a save, a value is written with
// three escapes: a "<" that would start one of the format's tags becomes "&lt;", an "&" that
// would start "&lt;", "&amp;" or "&#" becomes "&amp;", and a character Windows-1252 lacks
// becomes "&#N;" (its code point in decimal). So that the file never reads back as UTF-8, a
// character whose byte would follow a byte from 0xC0 up as a UTF-8 continuation byte
// (0x80..0xBF) is written as "&#N;" as well. Values without tag text and without such
// characters are written byte for byte as they are.
namespace ValueCodec {

void appendEncoded(QByteArray& out, QStringView value);
QByteArray encode(QStringView value);

// Turns a value's bytes back into text (UTF-8 when the file is UTF-8, else Windows-1252)
// and undoes the escapes.
QString decode(const char* data, qsizetype size, bool utf8);

// True when the bytes are well-formed UTF-8 and hold at least one multi-byte sequence: a list
// saved by a modern editor rather than by this program.
bool looksLikeUtf8(const QByteArray& bytes);

} // namespace ValueCodec
} // namespace ortolan
