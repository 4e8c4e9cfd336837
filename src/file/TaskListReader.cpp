#include "TaskListReader.h"

#include "model/DueDate.h"
#include "model/Prompt.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "ValueCodec.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

namespace ortolan {

using namespace reading;

namespace {

constexpr double kFormatVersion = 1.02;

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

} // namespace

TaskListReader::TaskListReader(const QByteArray& text, TaskTree& tree, TaskHandler& th)
    : text_(text), tree_(tree), th_(th), index_(text), utf8_(ValueCodec::looksLikeUtf8(text)) {}

QByteArrayView TaskListReader::rawContents(Tag tag, Range range) const {
    const TagIndex::Element e = index_.find(tag, range);
    if (!e.matched)
        return QByteArrayView();
    return QByteArrayView(text_.constData() + e.content.begin, e.content.end - e.content.begin);
}

QString TaskListReader::contents(Tag tag, Range range) const {
    const TagIndex::Element e = index_.find(tag, range);
    if (!e.matched)
        return QString();
    return ValueCodec::decode(text_.constData() + e.content.begin, e.content.end - e.content.begin, utf8_);
}

bool TaskListReader::checkVersion(LoadResult& result) {
    const auto version = leadingNumber(contents(FormatVersion, whole()));
    if (!version) {
        result.error = QStringLiteral("Cannot load file. This is not a valid Ortolan file.");
        if (prompt_)
            prompt_->ask({result.error, QStringLiteral("Error Loading File"), PromptIcon::Critical, PromptButtons::Ok});
        return false;
    }
    if (*version > kFormatVersion) {
        const PromptMessage question{QStringLiteral("This is file was created in a newer version on Ortolan.") +
                                         QStringLiteral(" Please download the latest version in order to read "
                                                        "this file.") +
                                         QLatin1Char('\n') +
                                         QStringLiteral("Would you like to try to open the file anyway?"),
                                     QStringLiteral("Error loading file"), PromptIcon::Question, PromptButtons::YesNo};
        if (!prompt_ || prompt_->ask(question) != PromptAnswer::Yes) {
            result.error = QStringLiteral("The file was made by a newer version of Ortolan and was not opened.");
            return false;
        }
    }
    return true;
}

bool TaskListReader::hasAnyTag() const {
    for (int t = 0; t < TagCount; ++t)
        if (index_.count(Tag(t)) > 0)
            return true;
    return text_.contains("<XML>");
}

int TaskListReader::parse() {
    TreeNode* rootNode = tree_.Item(kRootID);
    Task* rootTask = th_.getTask(kRootID);
    const QString title = contents(Title, whole());
    if (rootTask)
        rootTask->TaskName = title.isEmpty() ? kDefaultListTitle : title;

    itemsTotal_ = qint64(index_.count(Item));
    tree_.reserve(tree_.Count() + int(itemsTotal_));
    th_.reserve(th_.getTaskCount() + itemsTotal_);
    // A list whose closing tag is missing (a cut-off file) runs to the end of the text.
    const TagIndex::Element list = index_.find(List, whole());
    if (list.found)
        parseLists(list.content, rootNode);
    return skipped_;
}

// Items are read in file order (an item, its sub-items, then its next sibling), which is
// the order their "R" keys are numbered in.
void TaskListReader::parseLists(Range top, TreeNode* rootNode) {
    struct Level {
        Range rest;
        TreeNode* parent;
    };
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

void TaskListReader::reportProgress() {
    ++itemsRead_;
    if (itemsTotal_ <= 0 || !progress_)
        return;
    const qint64 percent = itemsRead_ * 100 / itemsTotal_;
    if (percent != lastPercent_ && percent <= 100) {
        progress_(float(itemsRead_) / float(itemsTotal_));
        lastPercent_ = percent;
    }
}

TreeNode* TaskListReader::readItem(Range item, TreeNode* parent) {
    Task record;
    Task* task = &record;
    task->TaskName = contents(Name, item);
    char key[24];
    const int keyLength = std::snprintf(key, sizeof key, "R%lld", static_cast<long long>(++keyCounter_));
    task->ID = QString::fromLatin1(key, keyLength);

    TreeNode* node = tree_.Add(parent, task->ID, task->TaskName, 2);
    if (!node) {
        ++skipped_;
        return nullptr;
    }

    readIcon(item, *task, *node);

    // The two common status words are shared rather than copied for every task.
    const QByteArrayView status = rawContents(Status, item);
    task->Status = status == "INCOMPLETE" ? kStatusIncomplete
                   : status == "COMPLETE" ? kStatusComplete
                                          : contents(Status, item);

    const QByteArrayView due = rawContents(DateDue, item);
    if (due != "12:00:00 AM" && !due.isEmpty()) {
        if (const auto date = parseDueDate(contents(DateDue, item)))
            task->DateDue = *date;
        else
            ++skipped_;
    }

    task->CategoryString = contents(Categories, item);
    task->Description = contents(Desc, item);
    th_.addTask(std::move(record));
    ++itemsAdded_;
    return node;
}

// Icon 0 (never set) shows picture 2; a number the picture list lacks shows picture 2 too
// but is kept, so the file gets it back. A number that is not one is skipped.
void TaskListReader::readIcon(Range item, Task& task, TreeNode& node) {
    const QByteArray icon = rawContents(IconIndex, item).trimmed().toByteArray();
    if (icon.isEmpty())
        return;
    bool ok = false;
    const int n = icon.toInt(&ok);
    if (!ok || n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max()) {
        ++skipped_;
        return;
    }
    task.IconIndex = qint16(n);
    node.setImage(XMLManager::pictureForIcon(n));
}

} // namespace ortolan
