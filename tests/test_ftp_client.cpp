#include "ftp/FtpClient.h"
#include "LoopbackServers.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace ortolan;

namespace {

const QString kUser = QStringLiteral("bob");
const QString kPassword = QStringLiteral("pa55-word");

// A real FTP server on 127.0.0.1 serving a folder of its own to bob, and a local folder
// ("in", inside a folder of its own so that anything written beside it shows) to download into.
struct Served {
    QTemporaryDir remote;
    QTemporaryDir outer;
    test::FtpServer server{remote.path(), kUser, kPassword};
    QString local = outer.path() + QStringLiteral("/in");

    Served() { QDir().mkpath(local); }
    // Puts a file on the server, making its folders.
    void put(const QString& path, const QByteArray& bytes) const {
        const QString full = remote.path() + QLatin1Char('/') + path;
        QDir().mkpath(QFileInfo(full).path());
        QVERIFY(test::writeFile(full, bytes));
    }
    QStringList localFiles() const { return QDir(local).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }
    QStringList outerFiles() const { return QDir(outer.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }
};

// A client with bob's user name and a password.
struct BobsClient : FtpClient {
    explicit BobsClient(const QString& password = kPassword) {
        setUserName(kUser);
        setPassword(password);
    }
};

} // namespace

class TestFtpClient : public QObject {
    Q_OBJECT
private slots:
    void shouldLogOnWhateverFormTheServerIsGivenIn_data() {
        QTest::addColumn<QString>("form"); // %1 is the port
        QTest::newRow("address") << "ftp://127.0.0.1:%1";
        QTest::newRow("address with a folder") << "ftp://127.0.0.1:%1/docs/";
        QTest::newRow("capital scheme, spaces around") << "  FTP://127.0.0.1:%1 ";
    }
    void shouldLogOnWhateverFormTheServerIsGivenIn() {
        QFETCH(QString, form);
        // given a server
        Served s;
        REQUIRE_SERVER(s.server);
        BobsClient client;
        QCOMPARE(client.state(), FtpClient::State::Disconnected);
        // when the client connects to it
        const FtpResult r = client.connect(form.arg(s.server.port()));
        // then it is logged on, in the folder the server put it in
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(int(client.state()), 4);
        QCOMPARE(client.host(), s.server.host());
        QCOMPARE(client.remoteFolder(), QStringLiteral("/"));
        QCOMPARE(s.server.logons(), 1);
    }

    void shouldDownloadTheExactBytesUnderTheBaseName_data() {
        // clang-format off
        QTest::addColumn<QString>("onServer");
        QTest::addColumn<QString>("remotePath");
        QTest::addColumn<QString>("baseName");
        QTest::newRow("backslashes") << "docs/2026/plan.oxml" << "docs\\2026\\plan.oxml" << "plan.oxml";
        QTest::newRow("from the top folder") << "docs/plan.oxml" << "/docs/plan.oxml" << "plan.oxml";
        QTest::newRow("space and hash") << "my docs/plan #2.oxml" << "my docs/plan #2.oxml" << "plan #2.oxml";
        QTest::newRow("question mark and percent") << "100%/done?.oxml" << "100%\\done?.oxml" << "done?.oxml";
        QTest::newRow("upwards with backslashes") << "escape.oxml" << "..\\..\\escape.oxml" << "escape.oxml";
        // clang-format on
    }
    void shouldDownloadTheExactBytesUnderTheBaseName() {
        QFETCH(QString, onServer);
        QFETCH(QString, remotePath);
        QFETCH(QString, baseName);
        // given a file on the server whose bytes a text transfer would change
        Served s;
        REQUIRE_SERVER(s.server);
        const QByteArray bytes = "first\r\nsecond\n" + onServer.toUtf8() + QByteArray("\0\xff\r", 3);
        s.put(onServer, bytes);
        BobsClient client;
        QVERIFY(client.connect(s.server.host()).ok);
        // when it is downloaded into the local folder
        const FtpResult r = client.download(s.local, remotePath);
        // then the file is there under its base name with the server's bytes, and nothing else
        // was written, inside the folder or beside it
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(r.localPath, s.local + QLatin1Char('/') + baseName);
        QCOMPARE(test::readFile(r.localPath), bytes);
        QCOMPARE(s.localFiles(), QStringList{baseName});
        QCOMPARE(s.outerFiles(), QStringList{QStringLiteral("in")});
        QCOMPARE(client.state(), FtpClient::State::Connected);
    }

    void shouldRefuseAPathNamingNoFile_data() {
        QTest::addColumn<QString>("remotePath");
        QTest::newRow("empty") << "";
        QTest::newRow("folder with backslash") << "docs\\";
        QTest::newRow("parent folder") << "docs/..";
    }
    void shouldRefuseAPathNamingNoFile() {
        QFETCH(QString, remotePath);
        // given a connected client and a folder on the server
        Served s;
        REQUIRE_SERVER(s.server);
        s.put(QStringLiteral("docs/plan.oxml"), "plan");
        BobsClient client;
        QVERIFY(client.connect(s.server.host()).ok);
        // when a path without a file name is downloaded
        const FtpResult r = client.download(s.local, remotePath);
        // then it fails, saying which path, and writes nothing
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QLatin1Char('"') + remotePath + QLatin1Char('"')), qPrintable(r.error));
        QVERIFY(r.localPath.isEmpty());
        QVERIFY(s.localFiles().isEmpty());
        QCOMPARE(s.outerFiles(), QStringList{QStringLiteral("in")});
    }

    void shouldReportARejectedLogOnWithoutThePassword() {
        // given a server and a client with the wrong password
        Served s;
        REQUIRE_SERVER(s.server);
        s.put(QStringLiteral("plan.oxml"), "plan");
        BobsClient client(QStringLiteral("wrong-guess"));
        // when it connects
        const FtpResult r = client.connect(s.server.host());
        // then the log-on is refused, the text names server and user but not the password
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QStringLiteral("The server %1 refused the log-on for bob.").arg(s.server.host()));
        QCOMPARE(client.state(), FtpClient::State::Disconnected);
        QVERIFY(client.remoteFolder().isEmpty());
        QCOMPARE(s.server.logons(), 0);
        // and a download, which logs on again with the same password, fails the same way
        const FtpResult d = client.download(s.local, QStringLiteral("plan.oxml"));
        QCOMPARE(d.error, r.error);
        QVERIFY(s.localFiles().isEmpty());
    }

    void shouldKeepTheLocalFileWhenTheRemoteOneIsMissing_data() {
        QTest::addColumn<QString>("remotePath");
        QTest::newRow("in a folder") << "docs\\missing.oxml";
    }
    void shouldKeepTheLocalFileWhenTheRemoteOneIsMissing() {
        QFETCH(QString, remotePath);
        // given a local file with the name of a file the server does not have
        Served s;
        REQUIRE_SERVER(s.server);
        s.put(QStringLiteral("docs/other.oxml"), "other");
        const QString local = s.local + QStringLiteral("/missing.oxml");
        QVERIFY(test::writeFile(local, "keep me"));
        BobsClient client;
        QVERIFY(client.connect(s.server.host()).ok);
        // when that file is downloaded
        const FtpResult r = client.download(s.local, remotePath);
        // then it fails, naming the file and the server, and the local file is as it was
        QVERIFY(!r.ok);
        QCOMPARE(r.error, QStringLiteral("The file \"%1\" was not found on %2.").arg(remotePath, s.server.host()));
        QCOMPARE(test::readFile(local), QByteArray("keep me"));
        QCOMPARE(s.localFiles(), QStringList{QStringLiteral("missing.oxml")});
        // and the connection is still there for the next file
        QCOMPARE(client.state(), FtpClient::State::Connected);
        QVERIFY(client.download(s.local, QStringLiteral("docs/other.oxml")).ok);
        QCOMPARE(s.server.logons(), 1);
    }

    void shouldLogOnAgainAfterADisconnect_data() {
        QTest::addColumn<bool>("disconnectFirst");
        QTest::newRow("disconnect, then connect") << true;
        QTest::newRow("connect while connected") << false;
    }
    void shouldLogOnAgainAfterADisconnect() {
        QFETCH(bool, disconnectFirst);
        // given a connected client
        Served s;
        REQUIRE_SERVER(s.server);
        BobsClient client;
        QVERIFY(client.connect(s.server.host()).ok);
        QCOMPARE(s.server.logons(), 1);
        // when it connects again
        if (disconnectFirst) {
            client.disconnect();
            QCOMPARE(client.state(), FtpClient::State::Disconnected);
            QVERIFY(client.remoteFolder().isEmpty());
        }
        QVERIFY(client.connect(s.server.host()).ok);
        // then the server saw a second log-on
        QCOMPARE(s.server.logons(), 2);
        QCOMPARE(client.state(), FtpClient::State::Connected);
        // and a download after a disconnect logs on to the same server once more
        s.put(QStringLiteral("plan.oxml"), "plan");
        client.disconnect();
        const FtpResult r = client.download(s.local, QStringLiteral("plan.oxml"));
        QVERIFY2(r.ok, qPrintable(r.error));
        QCOMPARE(test::readFile(r.localPath), QByteArray("plan"));
        QCOMPARE(s.server.logons(), 3);
    }

    void shouldRefuseToDownloadWithoutAServer() {
        QTemporaryDir local;
        BobsClient client;
        const FtpResult r = client.download(local.path(), QStringLiteral("plan.oxml"));
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(QLatin1String("\"plan.oxml\"")) && r.error.contains(QLatin1String("not connected")),
                 qPrintable(r.error));
        QVERIFY(QDir(local.path()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFtpClient)
#include "test_ftp_client.moc"
