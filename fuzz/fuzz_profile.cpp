// Arbitrary bytes as a settings file. The first line of the input names a section, a key and a
// value; the rest is the file. Reading must not fail on anything. Writing that key into a copy
// of the file must read back as the value, and leave every other key's value as it was.
#include "settings/ProfileFile.h"

#include <cstddef>
#include <cstdint>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

using namespace ortolan;

namespace {

// A name as the program uses for sections and keys: no line breaks, no "=", "[", "]" or ";",
// no spaces at either end. Empty when nothing of the text is left.
QString asName(const QString& text) {
    QString name;
    for (const QChar c : text)
        if (c.isPrint() && c != QLatin1Char('=') && c != QLatin1Char('[') && c != QLatin1Char(']') &&
            c != QLatin1Char(';'))
            name += c;
    return name.left(40).trimmed();
}

// The section and key names a file mentions, a few of each.
void namesIn(const QByteArray& file, QStringList& sections, QStringList& keys) {
    constexpr int kMost = 8;
    for (const QString& line : QString::fromUtf8(file).split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (t.startsWith(QLatin1Char('[')) && t.indexOf(QLatin1Char(']')) > 0) {
            if (sections.size() < kMost)
                sections << t.mid(1, t.indexOf(QLatin1Char(']')) - 1).trimmed();
        } else if (line.indexOf(QLatin1Char('=')) > 0 && keys.size() < kMost) {
            keys << line.left(line.indexOf(QLatin1Char('='))).trimmed();
        }
    }
}

bool same(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString expectedValue(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value.trimmed().left(ProfileFile::kMaxValueLength);
}

// A folder in memory where there is one: every write ends in a sync, which on a disk would
// make the fuzzer crawl.
QString scratchTemplate() {
    const QString shm = QStringLiteral("/dev/shm");
    const QString base = QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath();
    return base + QStringLiteral("/ortolan-fuzz-XXXXXX");
}

const QString& scratchFile() {
    static QTemporaryDir dir(scratchTemplate()); // one per process, removed at exit
    static const QString path = dir.filePath(QStringLiteral("otl.ini"));
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype firstBreak = input.indexOf('\n');
    const QByteArray head = firstBreak < 0 ? input : input.left(firstBreak);
    const QByteArray file = firstBreak < 0 ? QByteArray() : input.mid(firstBreak + 1);

    // head: "section\tkey\tvalue"
    const QList<QByteArray> parts = head.split('\t');
    const QString section = asName(QString::fromUtf8(parts.value(0)));
    const QString key = asName(QString::fromUtf8(parts.value(1)));
    const QString value = QString::fromUtf8(parts.value(2));

    // Reading: the keys the program asks for, and names from the input.
    for (const char* k : {"AutoLoad", "lastFile", "SoundIsOn", "Outlook"})
        (void)ProfileFile::readFromText(file, QStringLiteral("main"), QLatin1String(k));
    QStringList sections{QStringLiteral("main")}, keys{QStringLiteral("AutoLoad")};
    namesIn(file, sections, keys);
    for (const QString& s : sections)
        for (const QString& k : keys)
            if (ProfileFile::readFromText(file, s, k).size() > ProfileFile::kMaxValueLength)
                __builtin_trap();

    if (section.isEmpty() || key.isEmpty())
        return 0;
    // Writing one key into a copy of the file.
    const QString& path = scratchFile();
    QFile::remove(path);
    if (!file.isEmpty()) {
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size())
            __builtin_trap();
    }
    if (!ProfileFile::write(path, section, key, value))
        __builtin_trap();
    if (ProfileFile::read(path, section, key) != expectedValue(value))
        __builtin_trap();
    QFile written(path);
    if (!written.open(QIODevice::ReadOnly))
        __builtin_trap();
    const QByteArray after = written.readAll();
    for (const QString& s : sections)
        for (const QString& k : keys)
            if (!(same(s, section) && same(k, key)) &&
                ProfileFile::readFromText(after, s, k) != ProfileFile::readFromText(file, s, k))
                __builtin_trap();
    return 0;
}
