#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

namespace ortolan {

class TaskHandler;
class TaskTree;
class TreeNode;

inline const QString kSumPlaceholder = QStringLiteral("!!sum!!");
inline const QString kAvgPlaceholder = QStringLiteral("!!avg!!");

// A task has a formula when its stored name holds "!!".
bool hasFormula(const QString& taskName);

// The last number written in a name, scanning from its end: digits and "." are collected, a
// comma inside a number is a thousands separator and left out, anything else ends the number.
// "Pay 1,250 now" gives "1250"; "Buy milk." gives "."; no number gives "".
QString extractLastNumber(const QString& text, bool inNumber = false);

// The value of extractLastNumber's text: digits with at most one decimal point, anything from
// a second point on ignored; "" and "." are worth 0.
double numberValue(QStringView number);

// General form: up to 15 significant digits, no trailing zeros, the locale's decimal separator,
// exponent form for very large and very small magnitudes.
QString formatNumber(double value, const QLocale& locale = QLocale());

// Shows the node's stored name with "!!sum!!" and "!!avg!!" replaced by the sum or average of
// the numbers in its siblings' stored names, and returns that text. Siblings showing the same
// text as the node are left out, which leaves out the node itself.
QString ReCalcForNode(TaskTree& tree, const TaskHandler& th, TreeNode* node);

// Recalculates every formula in the tree, in node-index order, top node excepted.
void ReCalcTree(TaskTree& tree, const TaskHandler& th);

} // namespace ortolan
