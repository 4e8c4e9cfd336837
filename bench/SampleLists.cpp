#include "SampleLists.h"

#include "file/XMLManager.h"
#include "model/DueDate.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"

#include <array>
#include <memory>
#include <QFileInfo>
#include <stdexcept>
#include <vector>

namespace ortolan::bench {

namespace {

constexpr int kFanOut = 10;         // children per task in the balanced shape
constexpr int kSectionSize = 10000; // the longest run of siblings in the section shape
constexpr int kSectionGroups = 10;  // groups under the top node once a list outgrows one section

SampleStore* gStore = nullptr;

// A fixed scramble of the task number, so the lists are the same on every run without the
// fields following each other in lockstep.
quint64 scramble(quint64 x) {
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

QString withThousands(int amount) {
    if (amount < 1000)
        return QString::number(amount);
    return QStringLiteral("%1,%2").arg(amount / 1000).arg(amount % 1000, 3, 10, QLatin1Char('0'));
}

const std::array<QString, 8> kPlainNames = {
    QStringLiteral("Call the plumber"),         QStringLiteral("Book the café for Friday"),
    QStringLiteral("Renew the car insurance"),  QStringLiteral("Water the plants"),
    QStringLiteral("Reply to Anna's e-mail"),   QStringLiteral("Tidy the garage & shed"),
    QStringLiteral("Pick up the dry cleaning"), QStringLiteral("Back up the laptop"),
};

const std::array<QString, 6> kDescriptions = {
    QStringLiteral("Ask for the receipt this time"), QStringLiteral("See the notes from last week's meeting"),
    QStringLiteral("Only if the weather holds"),     QStringLiteral("Costs about €40 & takes an hour"),
    QStringLiteral("Check with <b>Sam</b> first"),   QStringLiteral("Second reminder, was due last month"),
};

const std::array<QString, 8> kCategories = {
    QString(),
    QString(),
    QString(),
    QStringLiteral("Work"),
    QStringLiteral("Today"),
    QStringLiteral("Home, Today"),
    QStringLiteral("Errands"),
    QStringLiteral("Work, Today Urgent"),
};

QString sampleName(qint64 k, quint64 h) {
    if (isSampleFormula(k))
        return (k / 10) % 20 == 0 ? QStringLiteral("Average !!avg!!") : QStringLiteral("Total !!sum!!");
    switch (k % 4) {
    case 1:
        return QStringLiteral("Pay %1 now").arg(withThousands(int(h % 4990) + 10));
    case 2:
    case 3:
        return QStringLiteral("Item %1").arg(k);
    default:
        return kPlainNames[(h >> 12) % kPlainNames.size()];
    }
}

std::unique_ptr<Task> sampleTask(const TaskHandler& th, qint64 k, const QString& name = QString()) {
    const quint64 h = scramble(quint64(k));
    auto task = std::make_unique<Task>();
    task->ID = th.getNewTaskID();
    task->TaskName = name.isEmpty() ? sampleName(k, h) : name;

    const int statusDraw = int((h >> 4) % 100);
    task->Status = statusDraw < 35 ? kStatusComplete : statusDraw < 98 ? kStatusIncomplete : QString();
    task->IconIndex = qint16((h >> 8) % 24);
    if ((h >> 16) % 4 == 0) {
        const QDate day = QDate(2024, 1, 1).addDays(qint64((h >> 20) % 900));
        const QTime time = (h >> 32) % 3 == 0 ? QTime(8 + int((h >> 36) % 10), int((h >> 40) % 4) * 15) : QTime(0, 0);
        task->DateDue = makeDueDate(day, time);
    }
    if ((h >> 44) % 3 == 0)
        task->Description = kDescriptions[(h >> 46) % kDescriptions.size()];
    task->CategoryString = kCategories[(h >> 50) % kCategories.size()];
    return task;
}

// Adds the task under parent the way the reader does: the node shows the name and the task's
// picture when it has one of the icon list's pictures.
TreeNode* addSampleTask(TaskTree& tree, TaskHandler& th, TreeNode* parent, std::unique_ptr<Task> task) {
    const int icon = task->IconIndex;
    const int image = icon >= 1 && icon <= XMLManager::kPictureCount ? icon : 2;
    TreeNode* node = tree.Add(parent, task->ID, task->TaskName, image);
    if (!node)
        throw std::runtime_error("sample task could not be added to the tree");
    th.addTask(std::move(task));
    return node;
}

} // namespace

const char* shapeName(Shape shape) {
    return shape == Shape::Balanced ? "balanced" : "section";
}

bool isSampleFormula(qint64 taskNumber) {
    return taskNumber % 10 == 0;
}

qint64 buildSampleList(TaskTree& tree, TaskHandler& th, int size, Shape shape) {
    TreeNode* root = tree.Item(kRootID);
    if (!root)
        throw std::runtime_error("the list has no top node");
    root->setText(QStringLiteral("Household and work"));

    if (shape == Shape::Balanced) {
        // Node k's parent is node (k - 1) / kFanOut, the top node being node 0.
        std::vector<TreeNode*> nodes;
        nodes.reserve(size_t(size) + 1);
        nodes.push_back(root);
        for (qint64 k = 1; k <= size; ++k)
            nodes.push_back(addSampleTask(tree, th, nodes[size_t((k - 1) / kFanOut)], sampleTask(th, k)));
        return size;
    }

    if (size <= kSectionSize) {
        for (qint64 k = 1; k <= size; ++k)
            addSampleTask(tree, th, root, sampleTask(th, k));
        return size;
    }

    const qint64 perGroup = qint64(size) / kSectionGroups;
    qint64 k = 0;
    for (int g = 1; g <= kSectionGroups; ++g) {
        TreeNode* group = addSampleTask(tree, th, root, sampleTask(th, -g, QStringLiteral("Area %1").arg(g)));
        for (qint64 i = 0; i < perGroup; ++i)
            addSampleTask(tree, th, group, sampleTask(th, ++k));
    }
    return k + kSectionGroups;
}

SampleStore::SampleStore() {
    dir_.setAutoRemove(true);
    gStore = this;
}

SampleStore::~SampleStore() {
    gStore = nullptr;
}

SampleStore& SampleStore::instance() {
    if (!gStore)
        throw std::logic_error("no sample store");
    return *gStore;
}

const SampleFile& SampleStore::file(int size, Shape shape) {
    const auto key = std::make_pair(size, int(shape));
    if (const auto it = files_.find(key); it != files_.end())
        return it->second;

    TaskTree tree;
    TaskHandler th;
    prepareEmptyList(tree, th);
    SampleFile f;
    f.tasks = buildSampleList(tree, th, size, shape);
    f.path = dir_.filePath(QStringLiteral("sample-%1-%2.oxml").arg(shapeName(shape)).arg(size));
    XMLManager xml(tree);
    xml.setTaskHandler(&th);
    const SaveResult saved = xml.saveXMLfile(f.path);
    if (!saved.ok)
        throw std::runtime_error(saved.error.toStdString());
    f.bytes = QFileInfo(f.path).size();
    return files_.emplace(key, f).first->second;
}

} // namespace ortolan::bench
