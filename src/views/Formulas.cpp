#include "Formulas.h"

#include "model/TaskHandler.h"
#include "model/TaskTree.h"

#include <QHash>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace ortolan {

namespace {

bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }

struct SiblingNumber {
    double value = 0;
    bool counted = false; // has a number text, so it counts for an average
};

SiblingNumber numberOf(const TaskHandler& th, const TreeNode* node) {
    const Task* task = th.getTask(node->Key());
    if (!task)
        return {};
    const QString t = extractLastNumber(task->TaskName);
    return {numberValue(t), !t.isEmpty()};
}

QString substitute(QString name, double sum, qint64 count) {
    name.replace(kSumPlaceholder, formatNumber(sum));
    if (name.contains(kAvgPlaceholder, Qt::CaseInsensitive)) {
        const QString avg = count > 0 ? formatNumber(sum / double(count)) : QStringLiteral("0");
        name.replace(kAvgPlaceholder, avg);
    }
    return name;
}

// Everything ReCalcTree needs about one section, built once however many formulas it has.
//
// Sums must come out exactly as adding the siblings one by one in tree order would. When every
// number in the section is a whole number and the total stays within a double's exact range,
// the order of additions cannot matter, so a formula's sum is the section total less the
// siblings showing its text. Otherwise each formula adds up its siblings in order.
class Section {
public:
    Section(const TaskHandler& th, const TreeNode* anyMember) {
        const TreeNode* first = anyMember->FirstSibling();
        const TreeNode* parent = anyMember->Parent();
        const int n = parent ? parent->Children() : 0;
        members_.reserve(size_t(n));
        double magnitude = 0;
        for (const TreeNode* s = first; s; s = s->Next()) {
            SiblingNumber num = numberOf(th, s);
            members_.push_back({s, num});
            magnitude += std::fabs(num.value);
            exact_ = exact_ && std::isfinite(num.value) && num.value == std::floor(num.value);
        }
        exact_ = exact_ && magnitude <= 9007199254740992.0; // 2^53
        if (!exact_)
            return;
        for (const auto& m : members_) {
            total_.sum += m.number.value;
            total_.count += m.number.counted;
            Group& g = byText_[m.node->Text()];
            g.sum += m.number.value;
            g.count += m.number.counted;
        }
    }

    QString compute(const TreeNode* node, const QString& name) const {
        double sum = 0;
        qint64 count = 0;
        if (exact_) {
            const Group g = byText_.value(node->Text());
            sum = total_.sum - g.sum;
            count = total_.count - g.count;
        } else {
            for (const auto& m : members_) {
                if (m.node->Text() == node->Text())
                    continue;
                sum += m.number.value;
                count += m.number.counted;
            }
        }
        return substitute(name, sum, count);
    }

    // The node's shown text changes from oldText to its current text.
    void retext(const TreeNode* node, const QString& oldText, const SiblingNumber& num) {
        if (!exact_)
            return;
        Group& from = byText_[oldText];
        from.sum -= num.value;
        from.count -= num.counted;
        Group& to = byText_[node->Text()];
        to.sum += num.value;
        to.count += num.counted;
    }

private:
    struct Member {
        const TreeNode* node;
        SiblingNumber number;
    };
    struct Group {
        double sum = 0;
        qint64 count = 0;
    };
    std::vector<Member> members_;
    bool exact_ = true;
    Group total_;
    QHash<QString, Group> byText_;
};

} // namespace

bool hasFormula(const QString& taskName) { return taskName.contains(QLatin1String("!!")); }

QString extractLastNumber(const QString& text, bool inNumber) {
    QString reversed;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const char16_t ch = text[i].unicode();
        if (isDigit(ch) || ch == '.') {
            reversed += QChar(ch);
            inNumber = true;
        } else if (!inNumber) {
            continue;
        } else if (ch == ',') {
            inNumber = false;
        } else {
            break;
        }
    }
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

double numberValue(QStringView number) {
    std::string ascii;
    ascii.reserve(size_t(number.size()));
    bool seenPoint = false;
    for (QChar c : number) {
        if (c == QLatin1Char('.')) {
            if (seenPoint)
                break;
            seenPoint = true;
        } else if (!isDigit(c.unicode())) {
            break;
        }
        ascii += char(c.unicode());
    }
    if (ascii.empty() || ascii == ".")
        return 0;
    double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Only digits and a point: too large means infinite, too small means zero.
        const auto point = ascii.find('.');
        const std::string whole = ascii.substr(0, point);
        return whole.find_first_not_of('0') == std::string::npos ? 0.0 : HUGE_VAL;
    }
    return value;
}

QString formatNumber(double value, const QLocale& locale) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    QString text = QString::fromLatin1(buf);
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    text.replace(QLatin1Char('.'), locale.decimalPoint());
    return text;
}

QString ReCalcForNode(TaskTree&, const TaskHandler& th, TreeNode* node) {
    if (!node)
        return QString();
    const Task* task = th.getTask(node->Key());
    if (!task)
        return node->Text();
    double sum = 0;
    qint64 count = 0;
    for (const TreeNode* s = node->FirstSibling(); s; s = s->Next()) {
        if (s->Text() == node->Text())
            continue;
        const SiblingNumber num = numberOf(th, s);
        sum += num.value;
        count += num.counted;
    }
    const QString name = substitute(task->TaskName, sum, count);
    node->setText(name);
    return name;
}

void ReCalcTree(TaskTree& tree, const TaskHandler& th) {
    std::unordered_map<const TreeNode*, std::unique_ptr<Section>> sections; // by parent
    const int count = tree.Count();
    for (int i = 2; i <= count; ++i) {
        TreeNode* node = tree.Item(i);
        const Task* task = th.getTask(node->Key());
        if (!task || !hasFormula(task->TaskName))
            continue;
        auto& section = sections[node->Parent()];
        if (!section)
            section = std::make_unique<Section>(th, node);
        const QString oldText = node->Text();
        node->setText(section->compute(node, task->TaskName));
        if (node->Text() != oldText)
            section->retext(node, oldText, numberOf(th, node));
    }
}

} // namespace ortolan
