#include "DataFolder.h"

#include "OTLFunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace ortolan {

namespace {

const QString kClickWave = QStringLiteral("click.wav");
const QString kSaveWave = QStringLiteral("save.wav");

// Every key of the settings file, with the value a first start gives it: the first start opens
// the example, sounds are on, the other switches off.
QByteArray initialSettings(const QString& folder) {
    const QList<QPair<QString, QString>> keys = {
        {QStringLiteral("EasyEditing"), QStringLiteral("False")},
        {QStringLiteral("autoLoad"), QStringLiteral("ALWAYS")},
        {QStringLiteral("disableClickToRename"), QStringLiteral("False")},
        {QStringLiteral("lastFile"), QString()},
        {QStringLiteral("file1"), QString()},
        {QStringLiteral("file2"), QString()},
        {QStringLiteral("file3"), QString()},
        {QStringLiteral("filesOpen"), QString()},
        {QStringLiteral("loadOutlook"), QStringLiteral("False")},
        {QStringLiteral("outlookSource"), QString()},
        {QStringLiteral("SoundIsOn"), QStringLiteral("ON")},
        {QStringLiteral("treeClickWave"), folder + QLatin1Char('/') + kClickWave},
        {QStringLiteral("saveWave"), folder + QLatin1Char('/') + kSaveWave},
        {QStringLiteral("doSlowMoEffects"), QStringLiteral("False")},
        {QStringLiteral("lastFileFTPServer"), QString()},
        {QStringLiteral("lastFileFTPUser"), QString()},
        {QStringLiteral("lastFileFTPPass"), QString()},
    };
    QString text = QStringLiteral("[MAIN]\n");
    for (const auto& [key, value] : keys)
        text += key + QLatin1Char('=') + value + QLatin1Char('\n');
    return text.toUtf8();
}

bool writeNewFile(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = QStringLiteral("Could not create \"%1\": %2").arg(path, file.errorString());
    return false;
}

QByteArray resource(const QString& name) {
    QFile file(QStringLiteral(":/ortolan/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

DataFolderSetup prepareDataFolder() {
    DataFolderSetup setup;
    const QString folder = getDataFolder();
    auto makeFolder = [&](const QString& path) {
        if (QFileInfo(path).isDir())
            return true;
        if (!QDir().mkpath(path)) {
            setup.ok = false;
            setup.error = QStringLiteral("Could not create the folder \"%1\".").arg(path);
            return false;
        }
        setup.created << path;
        return true;
    };
    auto makeFile = [&](const QString& name, const QByteArray& bytes) {
        const QString path = folder + QLatin1Char('/') + name;
        if (QFileInfo::exists(path) || !setup.ok)
            return;
        if (writeNewFile(path, bytes, &setup.error))
            setup.created << path;
        else
            setup.ok = false;
    };

    if (!makeFolder(folder) || !makeFolder(folder + QStringLiteral("/Backup")))
        return setup;
    makeFile(QStringLiteral("otl.ini"), initialSettings(folder));
    makeFile(QStringLiteral("new.oxml"), resource(QStringLiteral("new.oxml")));
    makeFile(QStringLiteral("example.oxml"), resource(QStringLiteral("example.oxml")));
    makeFile(kClickWave, resource(kClickWave));
    makeFile(kSaveWave, resource(kSaveWave));
    return setup;
}

bool canWriteDataFolder() {
    const QString folder = getDataFolder();
    for (const QString& place : {folder, folder + QStringLiteral("/Backup")}) {
        QTemporaryFile probe(place + QStringLiteral("/.write-test-XXXXXX"));
        if (!probe.open())
            return false;
    }
    QFile settings(folder + QStringLiteral("/otl.ini"));
    return !settings.exists() || settings.open(QIODevice::ReadWrite | QIODevice::Append);
}

} // namespace ortolan
