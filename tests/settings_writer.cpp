// A second program writing settings: writes keys PREFIX1 .. PREFIXn of [MAIN] into an INI file
// through the program's settings writer, each to its own value, as fast as it can.
// Usage: settings_writer FILE PREFIX COUNT

#include "settings/ProfileFile.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    const int count = args[3].toInt();
    int failed = 0;
    for (int i = 1; i <= count; ++i) {
        const QString key = args[2] + QString::number(i);
        if (!ortolan::ProfileFile::write(args[1], QStringLiteral("MAIN"), key, QStringLiteral("value of ") + key))
            ++failed;
    }
    return failed == 0 ? 0 : 1;
}
