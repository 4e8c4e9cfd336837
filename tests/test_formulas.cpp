#include "TestSupport.h"
#include "views/Formulas.h"

#include <QRandomGenerator>
#include <QTest>

using namespace ortolan;

namespace {

// Builds a section under the top node from names; returns the nodes in order.
QList<TreeNode*> section(test::TaskList& list, const QStringList& names, TreeNode* parent = nullptr) {
    QList<TreeNode*> nodes;
    for (const QString& n : names)
        nodes << list.add(n, parent);
    return nodes;
}

} // namespace

class TestFormulas : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void shouldExtractTheLastNumber_data() {
        // clang-format off
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::newRow("plain") << "Rent 500" << "500";
        QTest::newRow("followed by words") << "Rent 500 euro" << "500";
        QTest::newRow("thousands") << "Pay 1,250 now" << "1250";
        QTest::newRow("decimal") << "3.5 kg" << "3.5";
        QTest::newRow("no sign") << "Refund -20" << "20";
        QTest::newRow("full stop") << "Buy milk." << ".";
        QTest::newRow("none") << "No number" << "";
        QTest::newRow("placeholder") << "Total: !!sum!!" << "";
        QTest::newRow("comma before words") << "5 ,6" << "56";
        QTest::newRow("two numbers") << "Week 3 total 12" << "12";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("other digits") << QString::fromUtf8("٣ items 7") << "7";
        // clang-format on
    }
    void shouldExtractTheLastNumber() {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QCOMPARE(extractLastNumber(name), number);
    }

    void shouldExtractFromVeryLongNames() {
        const QString digits(100000, QLatin1Char('7'));
        QCOMPARE(extractLastNumber(QStringLiteral("x ") + digits + QStringLiteral(" y")), digits);
    }

    void shouldValueNumberTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("point") << "." << 0.0;
        QTest::newRow("whole") << "700" << 700.0;
        QTest::newRow("fraction") << "2.5" << 2.5;
        QTest::newRow("leading point") << ".5" << 0.5;
        QTest::newRow("trailing point") << "5." << 5.0;
        QTest::newRow("second point ignored") << "1.2.3" << 1.2;
    }
    void shouldValueNumberTexts() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(numberValue(text), value);
    }

    void shouldFormatNumbersInGeneralForm_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 700.0 << "700";
        QTest::newRow("half") << 2.5 << "2.5";
        QTest::newRow("third") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("big") << 1e15 << "1E+15";
        QTest::newRow("15 digits") << 123456789012345.0 << "123456789012345";
        QTest::newRow("tiny") << 0.00001 << "1E-05";
        QTest::newRow("small") << 0.0001 << "0.0001";
        QTest::newRow("rounding") << 0.1 + 0.2 << "0.3";
    }
    void shouldFormatNumbersInGeneralForm() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formatNumber(value, QLocale::c()), text);
    }

    void shouldUseTheLocalesDecimalSeparator() {
        QCOMPARE(formatNumber(2.5, QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("2,5"));
    }

    void shouldComputeSectionFormulas_data() {
        // clang-format off
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<int>("formula");
        QTest::addColumn<QString>("shown");
        QTest::newRow("sum") << QStringList{"Rent 500", "Food 200", "Total: !!sum!!"} << 2 << "Total: 700";
        QTest::newRow("average skips names without numbers") << QStringList{"Apples 10", "Pears 20", "Plums", "Mean !!avg!!"} << 3 << "Mean 15";
        QTest::newRow("empty average") << QStringList{"Walk", "Talk", "Mean !!avg!!"} << 2 << "Mean 0";
        QTest::newRow("empty sum") << QStringList{"Walk", "Total !!sum!!"} << 1 << "Total 0";
        QTest::newRow("full stop counts for the average") << QStringList{"Eggs 6", "Buy milk.", "Mean !!avg!!"} << 2 << "Mean 3";
        QTest::newRow("own number left out") << QStringList{"Week 3 total !!sum!!", "Mon 4", "Tue 5"} << 0 << "Week 3 total 9";
        QTest::newRow("same shown text left out") << QStringList{"Twin !!sum!!", "Twin !!sum!!", "Other 4"} << 0 << "Twin 4";
        QTest::newRow("capitals not replaced") << QStringList{"A 1", "Total !!SUM!! !!AVG!!"} << 1 << "Total !!SUM!! !!AVG!!";
        QTest::newRow("every placeholder") << QStringList{"A 1", "B 2", "!!sum!! and !!sum!! / !!avg!!"} << 2 << "3 and 3 / 1.5";
        QTest::newRow("thousands and decimals") << QStringList{"Pay 1,250 now", "Tip 2.5", "Sum !!sum!!"} << 2 << "Sum 1252.5";
        // clang-format on
    }
    void shouldComputeSectionFormulas() {
        QFETCH(QStringList, names);
        QFETCH(int, formula);
        QFETCH(QString, shown);
        // given the section under the top node
        test::TaskList list;
        const QList<TreeNode*> nodes = section(list, names);
        // when the tree is recalculated
        ReCalcTree(list.tree, list.th);
        // then the formula node shows the result and keeps its stored name
        QCOMPARE(nodes[formula]->Text(), shown);
        QCOMPARE(list.task(nodes[formula])->TaskName, names[formula]);
        // and the single-node calculation agrees
        test::TaskList again;
        const QList<TreeNode*> fresh = section(again, names);
        QCOMPARE(ReCalcForNode(again.tree, again.th, fresh[formula]), shown);
    }

    void shouldNeverReadAnotherFormulasResult() {
        // two formulas in one section: each adds the other's stored name (no digits), not its value
        test::TaskList list;
        const auto nodes = section(list, {"A 10", "Sum !!sum!!", "Other !!sum!!"});
        ReCalcTree(list.tree, list.th);
        QCOMPARE(nodes[1]->Text(), QStringLiteral("Sum 10"));
        QCOMPARE(nodes[2]->Text(), QStringLiteral("Other 10"));
        ReCalcTree(list.tree, list.th); // recalculating again changes nothing
        QCOMPARE(nodes[2]->Text(), QStringLiteral("Other 10"));
    }

    void shouldKeepSectionsApart() {
        test::TaskList list;
        TreeNode* a = list.add("Group 1");
        TreeNode* b = list.add("Group 2");
        const auto first = section(list, {"x 1", "y 2", "Total !!sum!!"}, a);
        const auto second = section(list, {"x 100", "Total !!sum!!"}, b);
        ReCalcTree(list.tree, list.th);
        QCOMPARE(first[2]->Text(), QStringLiteral("Total 3"));
        QCOMPARE(second[1]->Text(), QStringLiteral("Total 100"));
    }

    void shouldLeaveTheTopNodeToTheLabelEdit() {
        test::TaskList list;
        list.setTitle("Budget !!sum!!");
        section(list, {"Rent 500", "Food 200"});
        ReCalcTree(list.tree, list.th);
        QCOMPARE(list.tree.Item(kRootID)->Text(), QStringLiteral("Budget !!sum!!"));
        // computed over the top-level nodes when asked for that node
        QCOMPARE(ReCalcForNode(list.tree, list.th, list.tree.Item(kRootID)), QStringLiteral("Budget 0"));
    }

    void shouldMatchAddingOneByOneOnRandomSections() {
        // Random sections mixing whole numbers, decimals and repeated texts: the whole-tree
        // recalculation must give exactly what adding the siblings one by one gives.
        QRandomGenerator rng(2026);
        for (int round = 0; round < 40; ++round) {
            test::TaskList list;
            test::TaskList reference;
            const bool decimals = round % 2;
            const int n = 5 + int(rng.bounded(60));
            QStringList names;
            for (int i = 0; i < n; ++i) {
                const int kind = int(rng.bounded(6));
                if (kind == 0)
                    names << (rng.bounded(2) ? QStringLiteral("T !!sum!!") : QStringLiteral("M !!avg!! %1").arg(i));
                else if (kind == 1)
                    names << QStringLiteral("plain");
                else if (decimals)
                    names << QStringLiteral("v %1.%2").arg(rng.bounded(1000)).arg(rng.bounded(100));
                else
                    names << QStringLiteral("v %1").arg(rng.bounded(100000));
            }
            const auto nodes = section(list, names);
            const auto refNodes = section(reference, names);
            ReCalcTree(list.tree, list.th);
            // the reference: one node at a time, in order, by the plain definition
            for (TreeNode* r : refNodes)
                if (hasFormula(reference.task(r)->TaskName))
                    ReCalcForNode(reference.tree, reference.th, r);
            for (int i = 0; i < n; ++i)
                QCOMPARE(nodes[i]->Text(), refNodes[i]->Text());
        }
    }

    void shouldHandleMoreThanSixteenBitsOfNodes() {
        test::TaskList list;
        TreeNode* last = nullptr;
        for (int i = 0; i < 40000; ++i)
            last = list.add(QStringLiteral("n 1"));
        TreeNode* total = list.add("Total !!sum!!");
        ReCalcTree(list.tree, list.th);
        QVERIFY(last);
        QCOMPARE(total->Text(), QStringLiteral("Total 40000"));
    }
};

QTEST_GUILESS_MAIN(TestFormulas)
#include "test_formulas.moc"
