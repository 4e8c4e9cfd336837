#pragma once

#include <functional>
#include <QObject>
#include <QString>

class QSoundEffect;

namespace ortolan {

// Plays the program's short sounds: after a save, and when a task's sub-tasks are shown or
// hidden. One sound at a time: a new one cuts off the one still playing.
class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // Plays the wave file without waiting, when the setting "SoundIsOn" is exactly "ON". Does
    // nothing without an audio output, or when the file is missing or unreadable.
    void playwav2(const QString& wav);

    // The file now playing (or last started), "" when nothing was started.
    QString playing() const { return playing_; }

    // Whether the machine has an audio output; tests stand in for the sound card.
    void setAudioOutputCheck(std::function<bool()> check) { hasAudioOutput_ = std::move(check); }

private:
    QSoundEffect* effect_ = nullptr; // made on the first sound
    QString playing_;
    std::function<bool()> hasAudioOutput_;
};

} // namespace ortolan
