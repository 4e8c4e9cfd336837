#include "Sound.h"

#include "OTLFunctions.h"

#include <QAudioDevice>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace ortolan {

SoundPlayer::SoundPlayer(QObject* parent)
    : QObject(parent), hasAudioOutput_([] { return !QMediaDevices::audioOutputs().isEmpty(); }) {}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::playwav2(const QString& wav) {
    if (readSetting(QStringLiteral("SoundIsOn")) != QLatin1String("ON"))
        return;
    const QFileInfo file(wav);
    if (wav.isEmpty() || !file.isFile() || !file.isReadable())
        return;
    if (!hasAudioOutput_())
        return;
    if (!effect_)
        effect_ = new QSoundEffect(this);
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
    effect_->play();
    playing_ = file.absoluteFilePath();
}

} // namespace ortolan
