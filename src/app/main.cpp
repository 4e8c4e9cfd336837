// Starts Ortolan: the main window does the rest.

#include "app/Ortolan.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ortolan"));
    ortolan::Ortolan window(QApplication::arguments().mid(1));
    window.startUp();
    if (window.startFailed())
        return 1;
    if (window.hasClosed())
        return 0; // the user chose to exit while start-up was still opening the list
    return QApplication::exec();
}
