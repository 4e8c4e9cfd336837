#include "CategoriesForm.h"

#include "views/Layout.h"
#include "views/Pictures.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace ortolan {

namespace {

const QString kNoCategory = QStringLiteral("<None>");
const QString kToday = QStringLiteral("Today");

} // namespace

CategoriesForm::CategoriesForm(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("CategoriesForm"));
    setWindowTitle(QStringLiteral("Categories"));
    setAutoFillBackground(true);
    QPalette light = palette();
    light.setColor(QPalette::Window, QColor(255, 255, 192));
    setPalette(light);

    const double dpiX = logicalDpiX();
    const double dpiY = logicalDpiY();
    auto put = [&](QWidget* w, int left, int top, int width, int height) {
        w->setGeometry(pixelsFromTwips(left, dpiX), pixelsFromTwips(top, dpiY), pixelsFromTwips(width, dpiX),
                       pixelsFromTwips(height, dpiY));
    };
    setFixedSize(pixelsFromTwips(kClientWidthTwips, dpiX), pixelsFromTwips(kClientHeightTwips, dpiY));

    Background = new QLabel(QStringLiteral("Choose a Category"), this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Background->setAttribute(Qt::WA_TranslucentBackground);
    Background->setAutoFillBackground(false);
    QFont caption(QStringLiteral("Sans Serif"));
    caption.setStyleHint(QFont::SansSerif);
    caption.setPointSizeF(8.25);
    caption.setBold(true);
    Background->setFont(caption);
    put(Background, 0, 0, 3735, 2895);

    CategoriesList = new QListWidget(this);
    CategoriesList->setObjectName(QStringLiteral("CategoriesList"));
    CategoriesList->setIconSize(QSize(16, 16));
    put(CategoriesList, 360, 240, 3135, 2175);

    OkCatBut = new QPushButton(QStringLiteral("Ok"), this);
    OkCatBut->setObjectName(QStringLiteral("OkCatBut"));
    put(OkCatBut, 360, 2400, 1335, 315);

    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    put(Command2, 2160, 2400, 1335, 315);

    Background->lower(); // it covers the whole form, beneath everything else

    // Only movement over the background and the list keeps the chooser up, not over the buttons.
    Background->setMouseTracking(true);
    CategoriesList->setMouseTracking(true);
    CategoriesList->viewport()->setMouseTracking(true);
    Background->installEventFilter(this);
    CategoriesList->viewport()->installEventFilter(this);

    visibleTime_.setInterval(kDefaultHideIntervalMs);
    connect(&visibleTime_, &QTimer::timeout, this, &CategoriesForm::visibleTime_Timer);
    connect(OkCatBut, &QPushButton::clicked, this, &CategoriesForm::OkCatBut_Click);
    connect(Command2, &QPushButton::clicked, this, &CategoriesForm::Command2_Click);
    connect(CategoriesList, &QListWidget::itemClicked, this, [this] { OkCatBut_Click(); });
}

void CategoriesForm::Form_Activate() {
    CategoriesList->clear();
    CategoriesList->addItem(new QListWidgetItem(tabPicture(2), kNoCategory));
    CategoriesList->addItem(new QListWidgetItem(tabPicture(1), kToday));
    visibleTime_.start();
    CategoriesList->setCurrentRow(0);
}

void CategoriesForm::OkCatBut_Click() {
    const QList<QListWidgetItem*> selected = CategoriesList->selectedItems();
    if (selected.isEmpty())
        return;
    emit entryChosen(selected.first()->text());
}

void CategoriesForm::Command2_Click() {
    hide();
}

void CategoriesForm::visibleTime_Timer() {
    hide(); // hiding stops the timer
}

bool CategoriesForm::event(QEvent* event) {
    // An activation can arrive after a click has chosen an entry and hidden the chooser.
    if (event->type() == QEvent::Show || (event->type() == QEvent::WindowActivate && isVisible()))
        Form_Activate();
    return QWidget::event(event);
}

bool CategoriesForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove && (watched == Background || watched == CategoriesList->viewport()) &&
        isVisible())
        visibleTime_.start(); // counts the whole interval again from now
    return QWidget::eventFilter(watched, event);
}

void CategoriesForm::hideEvent(QHideEvent* event) {
    visibleTime_.stop();
    QWidget::hideEvent(event);
}

} // namespace ortolan
