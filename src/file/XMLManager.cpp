#include "XMLManager.h"

#include "ValueCodec.h"
#include "model/DueDate.h"
#include "model/Prompt.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "views/Colouring.h"
#include "views/Formulas.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <optional>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace ortolan {

namespace {

const QString kDefaultTitle = QStringLiteral("My Tasks");
const QString kNotSavedMark = QStringLiteral("[NOT SAVED]");
constexpr double kFormatVersion = 1.02;

enum Tag { FormatVersion, Title, List, Item, Name, Desc, Categories, IconIndex, Status, DateDue, TagCount };

constexpr std::array<const char*, TagCount> kTagNames = {"FORMATVERSION", "TITLE",      "LIST",      "ITEM",
                                                         "NAME",          "DESC",       "CATEGORIES", "ICONINDEX",
                                                         "STATUS",        "DATEDUE"};

quint32 openLength(Tag t) { return quint32(std::strlen(kTagNames[t]) + 2); }
quint32 closeLength(Tag t) { return quint32(std::strlen(kTagNames[t]) + 3); }

// Leading number of a text, as the format version is read: "1.02" is 1.02, "" or "abc" is 0.
// nullopt when the number does not fit a double.
std::optional<double> leadingNumber(const QString& text) {
    const QByteArray ascii = text.trimmed().toLatin1();
    qsizetype n = 0;
    auto skipDigits = [&] {
        while (n < ascii.size() && ascii[n] >= '0' && ascii[n] <= '9')
            ++n;
    };
    if (n < ascii.size() && (ascii[n] == '+' || ascii[n] == '-'))
        ++n;
    const qsizetype digitsStart = n;
    skipDigits();
    const bool wholeDigits = n > digitsStart;
    if (n < ascii.size() && ascii[n] == '.') {
        ++n;
        const qsizetype fractionStart = n;
        skipDigits();
        if (!wholeDigits && n == fractionStart)
            return 0.0;
    } else if (!wholeDigits) {
        return 0.0;
    }
    if (n < ascii.size() && (ascii[n] == 'E' || ascii[n] == 'e')) {
        qsizetype e = n + 1;
        if (e < ascii.size() && (ascii[e] == '+' || ascii[e] == '-'))
            ++e;
        if (e < ascii.size() && ascii[e] >= '0' && ascii[e] <= '9') {
            n = e;
            skipDigits();
        }
    }
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const QByteArray number = ascii.left(n);
    errno = 0;
    const double value = strtod_l(number.constData(), nullptr, cLocale);
    if (errno == ERANGE && std::isinf(value))
        return std::nullopt;
    return value;
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

    explicit TagIndex(const QByteArray& text) {
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

    size_t count(Tag tag) const { return opens_[tag].size(); }

    struct Element {
        bool found = false;   // an opening tag stands in the range
        bool matched = false; // and its closing tag too
        Range content;        // from after the opening tag to the closing tag (or the range's end)
    };

    // The first element of this tag in the range, as a search from the range's start finds it.
    Element find(Tag tag, Range range) const {
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

private:
    static int tagAt(const char* name, const char* end) {
        for (int t = 0; t < TagCount; ++t) {
            const size_t len = std::strlen(kTagNames[t]);
            if (size_t(end - name) > len && name[len] == '>' && std::memcmp(name, kTagNames[t], len) == 0)
                return t;
        }
        return -1;
    }

    std::array<std::vector<quint32>, TagCount> opens_;
    std::array<std::vector<quint32>, TagCount> matches_;
};

void appendLine(QByteArray& out, const QByteArray& indent, const char* open, QStringView value, const char* close) {
    out += indent;
    out += open;
    ValueCodec::appendEncoded(out, value);
    out += close;
    out += "\r\n";
}

void appendFields(QByteArray& out, const QByteArray& indent, const Task& task) {
    appendLine(out, indent, "<NAME>", task.TaskName, "</NAME>");
    appendLine(out, indent, "<DESC>", task.Description, "</DESC>");
    appendLine(out, indent, "<CATEGORIES>", task.CategoryString, "</CATEGORIES>");
    out += indent;
    out += "<ICONINDEX>";
    out += QByteArray::number(task.IconIndex);
    out += "</ICONINDEX>\r\n";
    appendLine(out, indent, "<STATUS>", task.Status, "</STATUS>");
    appendLine(out, indent, "<DATEDUE>", formatDueDate(task.DateDue), "</DATEDUE>");
}

} // namespace

// ---- reading ----

class XMLManager::Reader {
public:
    Reader(XMLManager& xml, const QByteArray& text, TaskHandler& th)
        : xml_(xml), text_(text), th_(th), index_(text), utf8_(ValueCodec::looksLikeUtf8(text)) {}

    QString contents(Tag tag, Range range) const {
        const TagIndex::Element e = index_.find(tag, range);
        if (!e.matched)
            return QString();
        return value(e.content);
    }

    QString value(Range r) const { return ValueCodec::decode(text_.constData() + r.begin, r.end - r.begin, utf8_); }

    Range whole() const { return {0, quint32(text_.size())}; }

    int parse() {
        TreeNode* rootNode = xml_.tree_.Item(kRootID);
        Task* rootTask = th_.getTask(kRootID);
        const QString title = contents(Title, whole());
        if (rootTask)
            rootTask->TaskName = title.isEmpty() ? kDefaultTitle : title;

        itemsTotal_ = qint64(index_.count(Item));
        // A list whose closing tag is missing (a cut-off file) runs to the end of the text.
        const TagIndex::Element list = index_.find(List, whole());
        if (list.found)
            parseLists(list.content, rootNode);
        return skipped_;
    }

private:
    struct Level {
        Range rest;
        TreeNode* parent;
    };

    // Items are read in file order (an item, its sub-items, then its next sibling), which is
    // the order their "R" keys are numbered in.
    void parseLists(Range top, TreeNode* rootNode) {
        std::vector<Level> levels{{top, rootNode}};
        while (!levels.empty()) {
            const TagIndex::Element item = index_.find(Item, levels.back().rest);
            if (!item.matched) {
                // No more items, or one without its closing tag: this list ends here.
                levels.pop_back();
                continue;
            }
            levels.back().rest.begin = item.content.end + closeLength(Item);
            reportProgress();
            TreeNode* node = readItem(item.content, levels.back().parent);
            const TagIndex::Element sublist = index_.find(List, item.content);
            if (sublist.found && node)
                levels.push_back({sublist.content, node});
        }
    }

    void reportProgress() {
        ++xml_.itemsRead_;
        if (itemsTotal_ <= 0 || !xml_.progress_)
            return;
        const qint64 percent = xml_.itemsRead_ * 100 / itemsTotal_;
        if (percent != xml_.lastPercent_ && percent <= 100) {
            xml_.progress_(float(xml_.itemsRead_) / float(itemsTotal_));
            xml_.lastPercent_ = int(percent);
        }
    }

    TreeNode* readItem(Range item, TreeNode* parent) {
        auto task = std::make_unique<Task>();
        task->TaskName = contents(Name, item);
        task->ID = QLatin1Char('R') + QString::number(++xml_.keyCounter_);

        TreeNode* node = xml_.tree_.Add(parent, task->ID, task->TaskName, 2);
        if (!node) {
            ++skipped_;
            return nullptr;
        }

        const QString icon = contents(IconIndex, item).trimmed();
        if (!icon.isEmpty()) {
            bool ok = false;
            const int n = icon.toInt(&ok);
            if (!ok || n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max()) {
                ++skipped_;
            } else {
                task->IconIndex = qint16(n);
                if (n >= 1 && n <= kPictureCount)
                    node->setImage(n);
            }
        }

        const QString status = contents(Status, item);
        // Share the two common words rather than keeping a copy per task.
        task->Status = status == kStatusIncomplete ? kStatusIncomplete
                       : status == kStatusComplete ? kStatusComplete
                                                   : status;

        if (const auto due = parseDueDate(contents(DateDue, item)))
            task->DateDue = *due;
        else
            ++skipped_;

        task->CategoryString = contents(Categories, item);
        task->Description = contents(Desc, item);
        th_.addTask(std::move(task));
        return node;
    }

    XMLManager& xml_;
    const QByteArray& text_;
    TaskHandler& th_;
    TagIndex index_;
    bool utf8_;
    qint64 itemsTotal_ = 0;
    int skipped_ = 0;
};

XMLManager::XMLManager(TaskTree& tree) : tree_(tree) {}

LoadResult XMLManager::loadXMLFile(const QString& filename, TaskHandler& th, const QString&) {
    taskHandler_ = &th;
    LoadResult result;
    QByteArray bytes;
    if (!filename.isEmpty()) {
        QFile file(filename);
        if (!file.exists()) {
            result.fileMissing = true;
        } else if (QFileInfo(filename).isDir()) {
            result.error = QStringLiteral("Cannot load file. \"%1\" is a folder, not a task list.").arg(filename);
            return result;
        } else if (!file.open(QIODevice::ReadOnly)) {
            result.error = QStringLiteral("Cannot load file. \"%1\" could not be read: %2")
                               .arg(filename, file.errorString());
            return result;
        } else if (file.size() >= qint64(std::numeric_limits<quint32>::max())) {
            result.error = QStringLiteral("Cannot load file. \"%1\" is too large to be a task list.").arg(filename);
            return result;
        } else {
            bytes = file.readAll();
            if (file.error() != QFileDevice::NoError) {
                result.error = QStringLiteral("Cannot load file. \"%1\" could not be read: %2")
                                   .arg(filename, file.errorString());
                return result;
            }
        }
    }
    LoadResult read = loadFromBytes(bytes, th);
    read.fileMissing = result.fileMissing;
    return read;
}

LoadResult XMLManager::loadFromBytes(const QByteArray& bytes, TaskHandler& th) {
    taskHandler_ = &th;
    // Every read starts a new list: keys from R1 and progress from zero.
    keyCounter_ = 0;
    itemsRead_ = 0;
    lastPercent_ = 0;
    LoadResult result;
    if (quint64(bytes.size()) >= std::numeric_limits<quint32>::max()) {
        result.error = QStringLiteral("Cannot load file. The file is too large to be a task list.");
        return result;
    }
    Reader reader(*this, bytes, th);

    const auto version = leadingNumber(reader.contents(FormatVersion, reader.whole()));
    if (!version) {
        result.error = QStringLiteral("Cannot load file. This is not a valid Ortolan file.");
        if (prompt_)
            prompt_->ask({result.error, QStringLiteral("Error Loading File"), PromptIcon::Critical, PromptButtons::Ok});
        return result;
    }
    if (*version > kFormatVersion) {
        const PromptMessage question{QStringLiteral("This is file was created in a newer version on Ortolan.") +
                                         QStringLiteral(" Please download the latest version in order to read "
                                                        "this file.") +
                                         QLatin1Char('\n') +
                                         QStringLiteral("Would you like to try to open the file anyway?"),
                                     QStringLiteral("Error loading file"), PromptIcon::Question,
                                     PromptButtons::YesNo};
        if (!prompt_ || prompt_->ask(question) != PromptAnswer::Yes) {
            result.error = QStringLiteral("The file was made by a newer version of Ortolan and was not opened.");
            return result;
        }
    }

    result.skippedValues = reader.parse();
    ColourTree(tree_, th);
    ReCalcTree(tree_, th);
    result.ok = true;
    return result;
}

// ---- writing ----

QByteArray XMLManager::fileContents() const {
    QByteArray out;
    const TreeNode* top = tree_.Item(1);
    out.reserve(qsizetype(tree_.Count()) * 200 + 256);
    out += "<XML>\r\n<FORMATVERSION>1.02</FORMATVERSION>\r\n";
    appendLine(out, QByteArray(), "<TITLE>", top ? top->Text() : QString(), "</TITLE>");
    out += "<LIST>\r\n";

    const Task blank;
    struct Frame {
        const TreeNode* holder;
        int nextRow;
    };
    std::vector<Frame> frames;
    if (top)
        frames.push_back({top, 0});
    QByteArray indent("\t");
    while (!frames.empty()) {
        Frame& f = frames.back();
        if (f.nextRow >= f.holder->Children()) {
            frames.pop_back();
            if (!frames.empty()) {
                // The item whose list this was: close its list and the item itself.
                indent.chop(1);
                out += indent;
                out += "</LIST>\r\n";
                out += indent;
                out += "</ITEM>\r\n";
            }
            continue;
        }
        const TreeNode* node = f.holder->childAt(f.nextRow++);
        const Task* found = taskHandler_ ? taskHandler_->getTask(node->Key()) : nullptr;
        const Task& task = found ? *found : blank;
        if (task.TaskName.contains(kNotSavedMark))
            continue; // temporary tasks stay out of the file, with everything below them
        out += indent;
        out += "<ITEM>\r\n";
        appendFields(out, indent, task);
        if (node->Children() > 0) {
            out += indent;
            out += "<LIST>\r\n";
            frames.push_back({node, 0});
            indent += '\t';
        } else {
            out += indent;
            out += "</ITEM>\r\n";
        }
    }
    out += "</LIST>\r\n</XML>\r\n\r\n";
    return out;
}

SaveResult XMLManager::saveXMLfile(const QString& filename) const {
    const QByteArray bytes = fileContents();
    QSaveFile file(filename);
    // Unbuffered, so that a short write (a full disk, a size limit) shows in write()'s count
    // here rather than being lost in a final flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, QStringLiteral("Could not write \"%1\": %2").arg(filename, file.errorString())};
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.error() == QFileDevice::NoError ? QStringLiteral("the disk is full or the file too large")
                                                                 : file.errorString();
        file.cancelWriting();
        return {false, QStringLiteral("Could not write \"%1\": %2").arg(filename, why)};
    }
    if (!file.commit())
        return {false, QStringLiteral("Could not write \"%1\": %2").arg(filename, file.errorString())};
    return {true, QString()};
}

// ---- opening ----

void prepareEmptyList(TaskTree& tree, TaskHandler& th) {
    tree.Clear();
    tree.AddTopLevel(kRootID, kDefaultTitle, 1);
    th.init();
}

LoadResult loadTaskList(XMLManager& xml, const QString& filename, TaskTree& tree, TaskHandler& th) {
    prepareEmptyList(tree, th);
    LoadResult result = xml.loadXMLFile(filename, th);
    if (result.ok) {
        TreeNode* top = tree.Item(kRootID);
        top->setText(th.getTask(kRootID)->TaskName);
        top->setExpanded(true);
    }
    return result;
}

} // namespace ortolan
