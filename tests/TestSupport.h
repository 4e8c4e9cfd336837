#pragma once

#include "file/XMLManager.h"
#include "model/DueDate.h"
#include "model/Prompt.h"
#include "model/TaskHandler.h"
#include "model/TaskTree.h"
#include "settings/Clock.h"
#include "settings/OTLFunctions.h"

#include <csignal>
#include <memory>
#include <QFile>
#include <QList>
#include <QString>
#include <QProcess>
#include <QTemporaryDir>
#include <sys/resource.h>

namespace ortolan::test {

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Runs work while no file may grow past limit bytes: a disk that fills up part way through a
// write, even for root. Returns what work returns.
template <typename Work> auto withFileSizeLimit(rlim_t limit, Work work) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    auto result = work();
    setrlimit(RLIMIT_FSIZE, &old);
    return result;
}

// Answers questions from a queue (No when it runs dry) and keeps every question asked.
class ScriptedPrompt : public Prompt {
public:
    QList<PromptMessage> asked;
    QList<PromptAnswer> answers;
    PromptAnswer ask(const PromptMessage& m) override {
        asked.append(m);
        return answers.isEmpty() ? PromptAnswer::No : answers.takeFirst();
    }
};

// A list held the way the program holds it: a tree, its registry and the manager that reads
// and writes it.
struct TaskList {
    TaskTree tree;
    TaskHandler th;
    XMLManager xml{tree};

    TaskList() {
        prepareEmptyList(tree, th);
        xml.setTaskHandler(&th);
    }

    void setTitle(const QString& title) {
        tree.Item(kRootID)->setText(title);
        th.getTask(kRootID)->TaskName = title;
    }

    // Adds a task as the last child of parent (the top node when null), the way new tasks are
    // added: a fresh "T" ID, the record registered, then the node.
    TreeNode* add(const QString& name, TreeNode* parent = nullptr, const QString& status = kStatusIncomplete) {
        auto task = std::make_unique<Task>();
        task->ID = th.getNewTaskID();
        task->TaskName = name;
        task->Status = status;
        const QString id = task->ID;
        th.addTask(std::move(task));
        return tree.Add(parent ? parent : tree.Item(kRootID), id, name, 2);
    }

    Task* task(const TreeNode* node) const { return th.getTask(node->Key()); }

    LoadResult loadBytes(const QByteArray& bytes, Prompt* prompt = nullptr) {
        prepareEmptyList(tree, th);
        xml.setPrompt(prompt);
        LoadResult r = xml.loadFromBytes(bytes, th);
        if (r.ok)
            tree.Item(kRootID)->setText(th.getTask(kRootID)->TaskName);
        return r;
    }

    // Names of the top node's children, or of node's children, joined by ",".
    QString childNames(const TreeNode* node = nullptr) const {
        QStringList names;
        const TreeNode* parent = node ? node : tree.Item(kRootID);
        for (const TreeNode* c = parent->Child(); c; c = c->Next())
            names << c->Text();
        return names.join(QLatin1Char(','));
    }
};

// The text of a PDF file as pdftotext reads it, ligatures ("ﬁ") written out as letters.
inline QString pdfText(const QString& path) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!text.waitForFinished(60000))
        return {};
    return QString::fromUtf8(text.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

// A data folder of its own for one test: XDG_DATA_HOME points into a temporary folder, the
// settings functions at its otl.ini, and the clock stands still at a chosen moment.
class TempDataHome {
public:
    explicit TempDataHome(const QDateTime& now = QDateTime(QDate(2026, 12, 5), QTime(1, 8, 14))) {
        qputenv("XDG_DATA_HOME", home_.path().toUtf8());
        initSettingsFile();
        setNow(now);
    }
    ~TempDataHome() {
        Clock::setForTesting({});
        qunsetenv("XDG_DATA_HOME");
    }
    void setNow(const QDateTime& now) {
        Clock::setForTesting([now] { return now; });
    }
    QString path() const { return home_.path(); }

private:
    QTemporaryDir home_;
};

} // namespace ortolan::test
