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
// becomes "&#N;" (its code point in decimal). Everything else is written byte for byte.
//
// A file whose bytes happen to form valid UTF-8 would read back as UTF-8 ("Ã©" as "é"). The
// writer finds that out first (Utf8Check) and then breaks the file with a single escape: the
// first byte that would continue a UTF-8 sequence is written as "&#N;".
namespace ValueCodec {

// Appends the value's bytes. With breakUtf8 pointing at true, the first byte that continues a
// UTF-8 sequence is written as a reference instead, and *breakUtf8 turns false.
void appendEncoded(QByteArray& out, QStringView value, bool* breakUtf8 = nullptr);
QByteArray encode(QStringView value);

// Follows the values of a file as the writer would write them, to tell whether the whole file
// would be valid UTF-8 with at least one multi-byte sequence. The format's own text is ASCII,
// so a file is such exactly when each value is valid UTF-8 and one of them is not ASCII.
class Utf8Check {
public:
    void add(QStringView value);
    bool invalid() const { return invalid_; }
    bool readsAsUtf8() const { return !invalid_ && multibyte_; }

private:
    bool invalid_ = false;
    bool multibyte_ = false;
};

// Turns a value's bytes back into text (UTF-8 when the file is UTF-8, else Windows-1252)
// and undoes the escapes.
QString decode(const char* data, qsizetype size, bool utf8);

// True when the bytes are well-formed UTF-8 and hold at least one multi-byte sequence: a list
// saved by a modern editor rather than by this program.
bool looksLikeUtf8(const QByteArray& bytes);

} // namespace ValueCodec
} // namespace ortolan
