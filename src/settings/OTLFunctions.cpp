#include "OTLFunctions.h"

#include "Clock.h"
#include "ProfileFile.h"

#include <QFile>
#include <QStandardPaths>

namespace ortolan {

namespace {
const QString kSection = QStringLiteral("MAIN");
const QString kSettingsFileToken = QStringLiteral(",,INI,,");

QString& settingsPath() {
    static QString path;
    return path;
}
} // namespace

QString getDataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Ortolan");
}

void initSettingsFile() {
    settingsPath() = getDataFolder() + QStringLiteral("/otl.ini");
}

QString settingsFile() {
    return settingsPath();
}

QString readProfileString(const QString& section, const QString& key, const QString& file) {
    const QString path = file == kSettingsFileToken ? settingsPath() : file;
    if (path.isEmpty())
        return QString();
    return ProfileFile::read(path, section, key);
}

QString readSetting(const QString& key) {
    return readProfileString(kSection, key, kSettingsFileToken);
}

bool writeSetting(const QString& key, const QString& value) {
    if (settingsPath().isEmpty())
        return false;
    return ProfileFile::write(settingsPath(), kSection, key, value);
}

bool writeSetting(const QString& key, const char* value) {
    return writeSetting(key, QString::fromUtf8(value));
}

bool writeSetting(const QString& key, bool value) {
    return writeSetting(key, value ? QStringLiteral("True") : QStringLiteral("False"));
}

std::optional<bool> booleanFromText(const QString& text) {
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = t.toDouble(&isNumber);
    if (isNumber)
        return number != 0;
    return std::nullopt;
}

bool writeLog(const QString& message) {
    QFile log(getDataFolder() + QStringLiteral("/log.txt"));
    if (!log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return false;
    const QDateTime now = Clock::now();
    const QByteArray line =
        (now.toString(QStringLiteral("MM-dd-yyyy, HH:mm:ss")) + QStringLiteral(": ") + message + QLatin1Char('\n'))
            .toUtf8();
    return log.write(line) == line.size();
}

} // namespace ortolan
