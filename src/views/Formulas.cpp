#include "Formulas.h"

#include "model/TaskHandler.h"
#include "model/TaskTree.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <QHash>
#include <vector>

namespace ortolan {

namespace {

bool isDigit(char16_t c) {
    return c >= '0' && c <= '9';
}

// The last number of a name as ASCII, scanning from the end: digits and "." are kept, a comma
// inside a number is a thousands separator and dropped, anything else ends the number.
std::string lastNumberText(const QString& text, bool inNumber) {
    std::string reversed;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const char16_t ch = text[i].unicode();
        if (isDigit(ch) || ch == '.') {
            reversed += char(ch);
            inNumber = true;
        } else if (!inNumber) {
            continue;
        } else if (ch == ',') {
            inNumber = false;
        } else {
            break;
        }
    }
    return {reversed.rbegin(), reversed.rend()};
}

// Digits with at most one point; anything from a second point on is ignored.
double valueOf(std::string ascii) {
    const auto second = ascii.find('.', ascii.find('.') + 1);
    if (ascii.find('.') != std::string::npos && second != std::string::npos)
        ascii.resize(second);
    if (ascii.empty() || ascii == ".")
        return 0;
    double value = 0;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Only digits and a point: too large means infinite, too small means zero.
        const std::string whole = ascii.substr(0, ascii.find('.'));
        return whole.find_first_not_of('0') == std::string::npos ? 0.0 : HUGE_VAL;
    }
    return value;
}

struct SiblingNumber {
    double value = 0;
    bool counted = false; // has a number text, so it counts for an average
};

SiblingNumber numberOf(const TaskHandler& th, const TreeNode* node) {
    const Task* task = th.taskOf(node);
    if (!task)
        return {};
    const std::string t = lastNumberText(task->TaskName, false);
    return {valueOf(t), !t.empty()};
}

QString substitute(QString name, double sum, qint64 count) {
    name.replace(kSumPlaceholder, formatNumber(sum));
    if (name.contains(kAvgPlaceholder, Qt::CaseInsensitive)) {
        const QString avg = count > 0 ? formatNumber(sum / double(count)) : QStringLiteral("0");
        name.replace(kAvgPlaceholder, avg);
    }
    return name;
}

// One section's numbers, read once however many formulas the section holds.
//
// Sums must come out exactly as adding the siblings one by one in tree order gives them. A
// section with a few formulas does just that for each. A section with many formulas, whose
// numbers are all whole and whose total stays within a double's exact range, cannot depend on
// the order of additions: there a formula's sum is the section total less the siblings that
// show its text, so each formula costs constant time instead of a walk over the section.
class Section {
public:
    static constexpr size_t kFewFormulas = 4;

    Section(const TaskHandler& th, const TreeNode* anyMember, size_t formulas) {
        bool whole = true;
        double magnitude = 0;
        for (const TreeNode* s = anyMember->FirstSibling(); s; s = s->Next()) {
            const SiblingNumber num = numberOf(th, s);
            members_.push_back({s, num});
            magnitude += std::fabs(num.value);
            whole = whole && std::isfinite(num.value) && num.value == std::floor(num.value);
        }
        byTotals_ = formulas > kFewFormulas && whole && magnitude <= 9007199254740992.0; // 2^53
        if (!byTotals_)
            return;
        for (const auto& m : members_) {
            total_.add(m.number);
            byText_[m.node->Text()].add(m.number);
        }
        members_ = {};
    }

    QString compute(const TreeNode* node, const QString& name) const {
        Totals t;
        if (byTotals_) {
            const Totals same = byText_.value(node->Text());
            t = {total_.sum - same.sum, total_.count - same.count};
        } else {
            for (const auto& m : members_)
                if (m.node->Text() != node->Text())
                    t.add(m.number);
        }
        return substitute(name, t.sum, t.count);
    }

    // The node now shows another text than oldText.
    void retext(const TreeNode* node, const QString& oldText, const SiblingNumber& num) {
        if (!byTotals_)
            return;
        byText_[oldText].remove(num);
        byText_[node->Text()].add(num);
    }

private:
    struct Member {
        const TreeNode* node;
        SiblingNumber number;
    };
    struct Totals {
        double sum = 0;
        qint64 count = 0;
        void add(const SiblingNumber& n) {
            sum += n.value;
            count += n.counted;
        }
        void remove(const SiblingNumber& n) {
            sum -= n.value;
            count -= n.counted;
        }
    };
    std::vector<Member> members_;
    bool byTotals_ = false;
    Totals total_;
    QHash<QString, Totals> byText_;
};

} // namespace

bool hasFormula(const QString& taskName) {
    return taskName.contains(QLatin1String("!!"));
}

QString extractLastNumber(const QString& text, bool inNumber) {
    const std::string digits = lastNumberText(text, inNumber);
    return QString::fromLatin1(digits.data(), qsizetype(digits.size()));
}

double numberValue(QStringView number) {
    std::string ascii;
    ascii.reserve(size_t(number.size()));
    for (QChar c : number) {
        if (!isDigit(c.unicode()) && c != QLatin1Char('.'))
            break;
        ascii += char(c.unicode());
    }
    return valueOf(ascii);
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
    const Task* task = th.taskOf(node);
    if (!task)
        return node->Text();
    const QString name = Section(th, node, 1).compute(node, task->TaskName);
    node->setText(name);
    return name;
}

void ReCalcTree(TaskTree& tree, const TaskHandler& th) {
    // Formulas read only their own section, so sections can be done one at a time; within a
    // section they go in node-index order, since a formula compares its siblings' shown texts,
    // which the formulas before it may have changed.
    struct Formula {
        const TreeNode* parent;
        TreeNode* node;
        const Task* task;
    };
    std::vector<Formula> formulas;
    const int count = tree.Count();
    for (int i = 2; i <= count; ++i) {
        TreeNode* node = tree.Item(i);
        const Task* task = th.taskOf(node);
        if (task && hasFormula(task->TaskName))
            formulas.push_back({node->Parent(), node, task});
    }
    // Sections in the order of their parents' indexes, which is roughly the order of the
    // records in memory.
    auto parentIndex = [](const Formula& f) { return f.parent ? f.parent->Index() : 0; };
    std::stable_sort(formulas.begin(), formulas.end(),
                     [&](const Formula& a, const Formula& b) { return parentIndex(a) < parentIndex(b); });

    for (auto first = formulas.begin(); first != formulas.end();) {
        auto last = std::find_if(first, formulas.end(), [&](const Formula& f) { return f.parent != first->parent; });
        Section section(th, first->node, size_t(last - first));
        for (auto f = first; f != last; ++f) {
            const QString oldText = f->node->Text();
            f->node->setText(section.compute(f->node, f->task->TaskName));
            if (f->node->Text() != oldText)
                section.retext(f->node, oldText, numberOf(th, f->node));
        }
        first = last;
    }
}

} // namespace ortolan
