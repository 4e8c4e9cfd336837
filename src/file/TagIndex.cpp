#include "TagIndex.h"

#include <algorithm>
#include <cstring>

namespace ortolan::reading {

TagIndex::TagIndex(const QByteArray& text) {
    std::array<std::vector<quint32>, TagCount> open; // indexes into opens_ awaiting their close
    const char* data = text.constData();
    const quint32 size = quint32(text.size());
    const char* p = data;
    const char* const end = data + size;
    while ((p = static_cast<const char*>(std::memchr(p, '<', size_t(end - p))))) {
        const quint32 pos = quint32(p - data);
        const bool closing = p + 1 < end && p[1] == '/';
        const char* name = p + (closing ? 2 : 1);
        const int tag = tagAt(name, end);
        if (tag >= 0) {
            if (!closing) {
                open[tag].push_back(quint32(opens_[tag].size()));
                opens_[tag].push_back(pos);
                matches_[tag].push_back(kNone);
            } else if (!open[tag].empty()) {
                matches_[tag][open[tag].back()] = pos;
                open[tag].pop_back();
            }
        }
        ++p;
    }
}

// The first element of this tag in the range, as a search from the range's start finds it.
TagIndex::Element TagIndex::find(Tag tag, Range range) const {
    const auto& opens = opens_[tag];
    const auto it = std::lower_bound(opens.begin(), opens.end(), range.begin);
    Element e;
    if (it == opens.end() || quint64(*it) + openLength(tag) > range.end)
        return e;
    e.found = true;
    e.content.begin = *it + openLength(tag);
    const quint32 close = matches_[tag][size_t(it - opens.begin())];
    if (close != kNone && quint64(close) + closeLength(tag) <= range.end) {
        e.matched = true;
        e.content.end = close;
    } else {
        e.content.end = range.end;
    }
    return e;
}

int TagIndex::tagAt(const char* name, const char* end) {
    for (int t = 0; t < TagCount; ++t) {
        const std::string_view tag = kTagNames[t];
        if (size_t(end - name) > tag.size() && tag[0] == name[0] && name[tag.size()] == '>' &&
            std::memcmp(name, tag.data(), tag.size()) == 0)
            return t;
    }
    return -1;
}

} // namespace ortolan::reading
