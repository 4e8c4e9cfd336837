#include "document/OpenFolder.h"
#include "settings/DataFolder.h"
#include "settings/Sound.h"
#include "TestSupport.h"

#include <QGuiApplication>
#include <QTest>

using namespace ortolan;

class TestSound : public QObject {
    Q_OBJECT
private slots:
    void shouldPlayOnlyWhenSoundIsOn_data() {
        QTest::addColumn<QString>("soundIsOn");
        QTest::addColumn<bool>("plays");
        QTest::newRow("ON") << "ON" << true;
        QTest::newRow("lower case") << "on" << false;
        QTest::newRow("OFF") << "OFF" << false;
        QTest::newRow("missing") << "" << false;
    }
    void shouldPlayOnlyWhenSoundIsOn() {
        QFETCH(QString, soundIsOn);
        QFETCH(bool, plays);
        test::TempDataHome home;
        QVERIFY(prepareDataFolder().ok);
        QVERIFY(writeSetting("SoundIsOn", soundIsOn));
        SoundPlayer player;
        player.setAudioOutputCheck([] { return true; });
        player.playwav2(readSetting("saveWave"));
        QCOMPARE(player.playing(), plays ? readSetting("saveWave") : QString());
    }

    void shouldIgnoreMissingFilesAndMissingSoundCards() {
        test::TempDataHome home;
        QVERIFY(prepareDataFolder().ok);
        SoundPlayer player;
        player.setAudioOutputCheck([] { return true; });
        player.playwav2(home.path() + "/no-such.wav");
        player.playwav2(getDataFolder()); // a folder is no sound
        player.playwav2("");
        QCOMPARE(player.playing(), QString());

        // without an audio output nothing is started, and nothing waits
        SoundPlayer silent;
        silent.setAudioOutputCheck([] { return false; });
        silent.playwav2(readSetting("saveWave"));
        QCOMPARE(silent.playing(), QString());
    }

};

QTEST_MAIN(TestSound)
#include "test_sound.moc"
