#pragma once

#include <array>
#include <limits>
#include <QByteArray>
#include <QtGlobal>
#include <string_view>
#include <vector>

namespace ortolan::reading {

enum Tag { FormatVersion, Title, List, Item, Name, Desc, Categories, IconIndex, Status, DateDue, TagCount };

constexpr std::array<std::string_view, TagCount> kTagNames = {
    "FORMATVERSION", "TITLE", "LIST", "ITEM", "NAME", "DESC", "CATEGORIES", "ICONINDEX", "STATUS", "DATEDUE"};

constexpr quint32 openLength(Tag t) {
    return quint32(kTagNames[t].size() + 2);
}
constexpr quint32 closeLength(Tag t) {
    return quint32(kTagNames[t].size() + 3);
}

struct Range {
    quint32 begin = 0;
    quint32 end = 0;
};

// Where each of the format's tags stands in the file, and for every opening tag the closing tag
// that matches it with nesting counted. Element searches then cost a binary search each, where
// scanning the text would make reading quadratic.
class TagIndex {
public:
    static constexpr quint32 kNone = std::numeric_limits<quint32>::max();

    explicit TagIndex(const QByteArray& text);

    size_t count(Tag tag) const { return opens_[tag].size(); }

    struct Element {
        bool found = false;   // an opening tag stands in the range
        bool matched = false; // and its closing tag too
        Range content;        // from after the opening tag to the closing tag (or the range's end)
    };

    // The first element of this tag in the range, as a search from the range's start finds it.
    Element find(Tag tag, Range range) const;

private:
    static int tagAt(const char* name, const char* end);

    std::array<std::vector<quint32>, TagCount> opens_;
    std::array<std::vector<quint32>, TagCount> matches_;
};

} // namespace ortolan::reading
