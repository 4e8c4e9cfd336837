#pragma once

#include <QHash>
#include <QString>

namespace ortolan {

// A task ID or node key as a hash key. IDs are mostly a letter and a counter ("R12", "T7"),
// numbered in the order tasks are read or made; hashing them by that number puts tasks of
// neighbouring numbers in neighbouring buckets, so a pass over the tree in index order reads
// the index in order instead of at random. Other keys hash as text.
struct TaskKey {
    QString text;
    friend bool operator==(const TaskKey& a, const TaskKey& b) { return a.text == b.text; }
};

inline size_t qHash(const TaskKey& key, size_t seed = 0) noexcept {
    const QString& t = key.text;
    const qsizetype n = t.size();
    if (n >= 2 && n <= 19 && (t[0] == QLatin1Char('R') || t[0] == QLatin1Char('T')) && t[1] != QLatin1Char('0')) {
        quint64 number = 0;
        qsizetype i = 1;
        for (; i < n; ++i) {
            const char16_t c = t[i].unicode();
            if (c < '0' || c > '9')
                break;
            number = number * 10 + (c - '0');
        }
        if (i == n)
            return size_t(number << 1) | (t[0] == QLatin1Char('T') ? 1u : 0u);
    }
    return qHash(t, seed);
}

} // namespace ortolan
