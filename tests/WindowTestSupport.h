#pragma once

#include "app/Dialogs.h"
#include "app/Ortolan.h"
#include "document/Backups.h"
#include "model/TaskHandler.h"
#include "settings/DataFolder.h"
#include "TestSupport.h"
#include "views/TaskTreeView.h"

#include <functional>
#include <memory>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QTabBar>
#include <QTabWidget>
#include <QDir>
#include <QDirIterator>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

namespace ortolan::test {

// The real main window in a data folder of its own, with every dialog answered by the test.
struct Window {
    TempDataHome home;
    std::unique_ptr<Ortolan> window;

    // Prepares the data folder as a first start would, then lets the test change settings
    // before the window starts.
    Window() {
        Dialogs::setTestMode(true);
        prepareDataFolder();
    }
    ~Window() {
        window.reset();
        Dialogs::setTestMode(false);
    }

    Ortolan& start(const QStringList& arguments = {}) {
        window = std::make_unique<Ortolan>(arguments);
        window->setUrlOpener([this](const QUrl& url) {
            opened << url;
            return true;
        });
        window->setSlowMotionPause(0);
        if (beforeStart)
            beforeStart(*window);
        window->startUp();
        // The keys go where the user would type: the active window's focused widget.
        if (window->isVisible()) {
            QApplication::setActiveWindow(window.get());
            (void)QTest::qWaitForWindowActive(window.get());
        }
        return *window;
    }

    // A task list file in the test's folder, written from JSON through the program's writer.
    QString listFile(const QString& name, const QByteArray& bytes) {
        const QString path = home.path() + QLatin1Char('/') + name;
        writeFile(path, bytes);
        return path;
    }

    QList<QUrl> opened;
    std::function<void(Ortolan&)> beforeStart; // a seam to set before start-up
};

// The start-up log's messages, without their "MM-DD-YYYY, HH:MM:SS: " stamps.
inline QStringList logMessages() {
    QStringList lines = QString::fromUtf8(readFile(getDataFolder() + "/log.txt")).split('\n', Qt::SkipEmptyParts);
    for (QString& l : lines)
        l = l.section(QStringLiteral(": "), 1);
    return lines;
}

// The texts of the messages shown so far.
// The text of every file in the data folder, settings, log and backups alike.
inline QStringList dataFolderTexts() {
    QStringList texts;
    QDirIterator it(getDataFolder(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        texts << QString::fromUtf8(readFile(it.next()));
    return texts;
}

inline QStringList messageTexts() {
    QStringList texts;
    for (const PromptMessage& m : Dialogs::messages())
        texts << m.text;
    return texts;
}

inline QByteArray smallList(const QByteArray& title, const QByteArray& items) {
    return "<XML>\r\n<FORMATVERSION>1.02</FORMATVERSION>\r\n<TITLE>" + title + "</TITLE>\r\n<LIST>\r\n" + items +
           "</LIST>\r\n</XML>\r\n\r\n";
}

// An item with its own fields before any sub-items, as the writer writes them: fields given in
// extra, and empty categories and an unfinished status unless extra has its own.
inline QByteArray item(const QByteArray& name, const QByteArray& extra = QByteArray(),
                       const QByteArray& inner = QByteArray()) {
    QByteArray fields = "<NAME>" + name + "</NAME>" + (extra.contains("<DESC>") ? "" : "<DESC></DESC>") + extra;
    if (!extra.contains("<CATEGORIES>"))
        fields += "<CATEGORIES></CATEGORIES>";
    if (!extra.contains("<STATUS>"))
        fields += "<STATUS>INCOMPLETE</STATUS>";
    return "<ITEM>" + fields + inner + "</ITEM>";
}

// ---- the mouse and keys, as the user works the tree ----

// A point on the text of node's row, scrolled into sight (its ancestors opened) as a user would.
inline QPoint labelPoint(TaskTreeView* tree, const TreeNode* node) {
    const QModelIndex index = tree->model()->indexFromNode(node);
    tree->scrollTo(index);
    const QRect row = tree->visualRect(index);
    for (int x = row.left(); x < row.right(); ++x)
        if (tree->isOnLabel(QPoint(x, row.center().y())))
            return QPoint(x + 3, row.center().y());
    return row.center();
}
// A point on the node's picture, left of its text.
inline QPoint picturePoint(TaskTreeView* tree, const TreeNode* node) {
    return labelPoint(tree, node) - QPoint(12, 0);
}
inline void click(TaskTreeView* tree, const TreeNode* node, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(tree->viewport(), button, {}, labelPoint(tree, node));
}
inline void doubleClick(TaskTreeView* tree, const TreeNode* node) {
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, labelPoint(tree, node));
}
// Whether the tree's label editor is open, and the editor itself.
inline QLineEdit* labelEditor(const TaskTreeView* tree) {
    for (QLineEdit* e : tree->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            return e;
    return nullptr;
}
// Types text into the focused widget, or keys such as Qt::Key_Return.
inline void type(const QString& text) {
    QTest::keyClicks(QApplication::focusWidget(), text);
}
// The events a key queues (an editor closing on Enter) run before the test goes on.
inline void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
    QCoreApplication::processEvents();
}

// Clicks the tab with this caption, as the user picks a view.
inline void clickTab(Ortolan& o, const QString& caption) {
    QTabBar* bar = o.TabStrip->tabBar();
    for (int i = 0; i < bar->count(); ++i)
        if (bar->tabText(i) == caption)
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(i).center());
}

// What a drag sends to the widget under the pointer: enter, move, and a drop where the move was
// taken, or a leave when the user lets go elsewhere. Returns whether the widget took the drop.
inline bool sendDrag(QWidget* target, const QPoint& at, const QMimeData* data, bool drop = true) {
    QDragEnterEvent enter(at, Qt::MoveAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::MoveAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &move);
    if (!move.isAccepted() || !drop) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(target, &leave);
        return false;
    }
    QDropEvent dropped(at, Qt::MoveAction, data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}

// Drags a task of the tree with the mouse: press on it, move past the drag distance, and the
// drag carries it to target, at the point at() gives once the press is made (rows may have moved
// by then). drop false: the user cancels (Escape). Returns whether the drop was taken.
inline bool dragTask(Ortolan& o, const TreeNode* node, QWidget* target, const std::function<QPoint()>& at,
                     bool drop = true) {
    bool taken = false;
    o.Tree->setDragRunner([&](QDrag* drag) {
        taken = sendDrag(target, at(), drag->mimeData(), drop);
        return taken ? Qt::MoveAction : Qt::IgnoreAction;
    });
    const QPoint from = labelPoint(o.Tree, node);
    QTest::mousePress(o.Tree->viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(o.Tree->viewport(), from + QPoint(0, QApplication::startDragDistance() + 2));
    // The drag took the release; the button comes up where no row can take it for a click.
    QTest::mouseRelease(o.Tree->viewport(), Qt::LeftButton, {}, QPoint(-5, -5));
    return taken;
}
inline bool dragTask(Ortolan& o, const TreeNode* node, QWidget* target, const QPoint& at, bool drop = true) {
    return dragTask(o, node, target, [at] { return at; }, drop);
}
// Drags one task of the tree onto another.
inline bool dragTaskOnto(Ortolan& o, const TreeNode* dragged, const TreeNode* target) {
    return dragTask(o, dragged, o.Tree->viewport(), [&] { return labelPoint(o.Tree, target); });
}

// A window started on a list of its own, home.oxml, with lookups by shown text.
struct OpenList {
    Window w;
    QString path;
    Ortolan* o = nullptr;

    explicit OpenList(const QByteArray& items) {
        path = w.listFile("home.oxml", smallList("Home", items));
        writeSetting("lastFile", path);
        o = &w.start();
    }
    TreeNode* node(const QString& text) const {
        for (int i = 1; i <= o->tree().Count(); ++i)
            if (o->tree().Item(i)->Text() == text)
                return o->tree().Item(i);
        return nullptr;
    }
    Task* task(const QString& text) const { return o->taskH().taskOf(node(text)); }
    // Clicks the task, unless it is selected already (a click then would rename it).
    void select(const QString& text) const {
        if (o->tree().SelectedItem() != node(text))
            click(o->Tree, node(text));
    }
    // The shown texts of parent's children (the top node's when null), joined by ",".
    QString children(const TreeNode* parent = nullptr) const {
        QStringList names;
        for (const TreeNode* c = (parent ? parent : o->tree().Item(kRootID))->Child(); c; c = c->Next())
            names << c->Text();
        return names.join(QLatin1Char(','));
    }
    QString children(const QString& parent) const { return children(node(parent)); }
};

} // namespace ortolan::test

