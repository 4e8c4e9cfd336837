// Finding tasks: the find bar over the bottom of the tree filters it as the user types.

#include "app/Ortolan.h"

#include "views/FindBar.h"
#include "views/TreeSearch.h"

#include <QAction>
#include <QShortcut>
#include <QTabWidget>

namespace ortolan {

void Ortolan::connectFindCommands() {
    findBar_ = new FindBar(client_);
    search_ = new TreeSearch(*doc_, Tree, findBar_, this);
    connect(search_, &TreeSearch::barShown, this, [this] { placeControls(); });
    connect(action(QStringLiteral("MENU_Find")), &QAction::triggered, this, &Ortolan::MENU_Find);
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(next, &QShortcut::activated, this, [this] { findStep(true); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(previous, &QShortcut::activated, this, [this] { findStep(false); });
}

bool Ortolan::findShown() const {
    return search_ && search_->isOpen();
}

void Ortolan::MENU_Find() {
    // The bar filters the tree: the calendar and the list make way for it.
    if (listShown())
        ViewAsList_Click();
    if (TabStrip->tabText(TabStrip->currentIndex()) == QLatin1String("Calendar"))
        TabStrip->setCurrentIndex(0);
    search_->open();
}

void Ortolan::findStep(bool forward) {
    if (!findShown())
        MENU_Find();
    search_->step(forward);
}

void Ortolan::closeFind() {
    if (search_)
        search_->close();
}

} // namespace ortolan
