#include "ValueCodec.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ortolan::ValueCodec {

namespace {

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined pass through as
// the C1 control with the same number, as Windows itself does.
constexpr std::array<char16_t, 32> kHighTable = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The byte for a code point, or -1 when Windows-1252 has no such character.
int toWindows1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (size_t i = 0; i < kHighTable.size(); ++i)
        if (kHighTable[i] == cp)
            return int(0x80 + i);
    return -1;
}

constexpr const char* kTags[] = {"<XML>",         "</XML>",      "<FORMATVERSION>", "</FORMATVERSION>", "<TITLE>",
                                 "</TITLE>",      "<LIST>",      "</LIST>",         "<ITEM>",           "</ITEM>",
                                 "<NAME>",        "</NAME>",     "<DESC>",          "</DESC>",          "<CATEGORIES>",
                                 "</CATEGORIES>", "<ICONINDEX>", "</ICONINDEX>",    "<STATUS>",         "</STATUS>",
                                 "<DATEDUE>",     "</DATEDUE>"};

bool startsWithAscii(QStringView text, qsizetype at, const char* ascii) {
    const qsizetype n = qsizetype(std::strlen(ascii));
    if (text.size() - at < n)
        return false;
    for (qsizetype i = 0; i < n; ++i)
        if (text[at + i].unicode() != char16_t(ascii[i]))
            return false;
    return true;
}

bool startsFormatTag(QStringView text, qsizetype at) {
    for (const char* tag : kTags)
        if (startsWithAscii(text, at, tag))
            return true;
    return false;
}

bool needsEscapeAmp(QStringView text, qsizetype at) {
    return startsWithAscii(text, at, "&lt;") || startsWithAscii(text, at, "&amp;") || startsWithAscii(text, at, "&#");
}

void appendCodePointRef(QByteArray& out, char32_t cp) {
    out += "&#";
    out += QByteArray::number(uint(cp));
    out += ';';
}

QString unescape(const QString& text) {
    if (!text.contains(QLatin1Char('&')))
        return text;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('&')) {
            out += c;
            continue;
        }
        const QStringView rest = QStringView(text).mid(i);
        if (rest.startsWith(QLatin1String("&lt;"))) {
            out += QLatin1Char('<');
            i += 3;
        } else if (rest.startsWith(QLatin1String("&amp;"))) {
            out += QLatin1Char('&');
            i += 4;
        } else if (rest.startsWith(QLatin1String("&#"))) {
            qsizetype j = i + 2;
            char32_t cp = 0;
            bool ok = j < n && text[j].isDigit();
            while (ok && j < n && text[j] >= QLatin1Char('0') && text[j] <= QLatin1Char('9')) {
                cp = cp * 10 + char32_t(text[j].unicode() - '0');
                if (cp > 0x10FFFF)
                    ok = false;
                ++j;
            }
            if (ok && j < n && text[j] == QLatin1Char(';')) {
                if (cp > 0xFFFF) {
                    out += QChar(QChar::highSurrogate(cp));
                    out += QChar(QChar::lowSurrogate(cp));
                } else {
                    out += QChar(char16_t(cp));
                }
                i = j;
            } else {
                out += c; // not a reference this program wrote: keep the text as it stands
            }
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

void appendEncoded(QByteArray& out, QStringView value, bool* breakUtf8) {
    const qsizetype n = value.size();
    // Most values are plain ASCII without "<" or "&": copied in one go.
    qsizetype plain = 0;
    while (plain < n) {
        const char16_t u = value[plain].unicode();
        if (u >= 0x80 || u == '<' || u == '&')
            break;
        ++plain;
    }
    if (plain > 0) {
        const qsizetype at = out.size();
        out.resize(at + plain);
        char* dst = out.data() + at;
        for (qsizetype i = 0; i < plain; ++i)
            dst[i] = char(value[i].unicode());
    }
    int previous = 0; // the last byte written, as a number
    for (qsizetype i = plain; i < n; ++i) {
        const char16_t u = value[i].unicode();
        if (u == '<' && startsFormatTag(value, i)) {
            out += "&lt;";
            previous = ';';
            continue;
        }
        if (u == '&' && needsEscapeAmp(value, i)) {
            out += "&amp;";
            previous = ';';
            continue;
        }
        char32_t cp = u;
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(value[i + 1].unicode())) {
            cp = QChar::surrogateToUcs4(u, value[i + 1].unicode());
            ++i;
        }
        const int b = toWindows1252(cp);
        const bool breaksUtf8 = breakUtf8 && *breakUtf8 && b >= 0x80 && b < 0xC0 && previous >= 0xC0;
        if (b >= 0 && !breaksUtf8) {
            out += char(b);
            previous = b;
        } else {
            appendCodePointRef(out, cp);
            previous = ';';
            if (breaksUtf8)
                *breakUtf8 = false;
        }
    }
}

void Utf8Check::add(QStringView value) {
    int expected = 0; // continuation bytes still to come
    char32_t cp = 0;
    int length = 0;
    for (qsizetype i = 0; i < value.size() && !invalid_; ++i) {
        const char16_t u = value[i].unicode();
        if (u < 0x80 && expected == 0)
            continue;
        char32_t c = u;
        if (QChar::isHighSurrogate(u) && i + 1 < value.size() && QChar::isLowSurrogate(value[i + 1].unicode()))
            c = QChar::surrogateToUcs4(u, value[++i].unicode());
        int b = toWindows1252(c);
        if (b < 0 || (u == '<' && startsFormatTag(value, i)) || (u == '&' && needsEscapeAmp(value, i)))
            b = '&'; // written as an escape, which is ASCII
        if (expected > 0) {
            if ((b & 0xC0) != 0x80) {
                invalid_ = true;
                break;
            }
            cp = (cp << 6) | char32_t(b & 0x3F);
            if (--expected == 0) {
                static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
                if (cp < kMin[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                    invalid_ = true;
                multibyte_ = true;
            }
            continue;
        }
        if (b < 0x80)
            continue;
        if ((b & 0xE0) == 0xC0) {
            length = 2;
            cp = char32_t(b & 0x1F);
        } else if ((b & 0xF0) == 0xE0) {
            length = 3;
            cp = char32_t(b & 0x0F);
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
            cp = char32_t(b & 0x07);
        } else {
            invalid_ = true;
            break;
        }
        expected = length - 1;
    }
    if (expected > 0)
        invalid_ = true; // the value ends inside a sequence, before the ASCII of the next tag
}

QByteArray encode(QStringView value) {
    QByteArray out;
    out.reserve(value.size());
    appendEncoded(out, value);
    return out;
}

QString decode(const char* data, qsizetype size, bool utf8) {
    if (size == 0)
        return QString();
    QString text;
    const bool hasC1 = !utf8 && std::any_of(data, data + size, [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x80 && b < 0xA0;
    });
    if (utf8) {
        text = QString::fromUtf8(data, size);
    } else if (!hasC1) {
        text = QString::fromLatin1(data, size); // the code page agrees with Latin-1 outside 0x80..0x9F
    } else {
        text.resize(size);
        QChar* dst = text.data();
        for (qsizetype i = 0; i < size; ++i) {
            const auto b = static_cast<unsigned char>(data[i]);
            dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(kHighTable[b - 0x80]) : QChar(char16_t(b));
        }
    }
    if (std::memchr(data, '&', size_t(size)) == nullptr)
        return text;
    return unescape(text);
}

bool looksLikeUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    bool multibyte = false;
    qsizetype i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int len;
        char32_t cp;
        if ((b & 0xE0) == 0xC0) {
            len = 2;
            cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
            cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
            cp = b & 0x07;
        } else {
            return false;
        }
        if (i + len > n)
            return false;
        for (int k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        multibyte = true;
        i += len;
    }
    return multibyte;
}

} // namespace ortolan::ValueCodec
