#pragma once

// Real servers on 127.0.0.1 for the tests, started and stopped by them: Debian's Python
// (which has pyftpdlib and http.server) on a port the system chooses.

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ortolan::test {

inline const QString kDebianPython = QStringLiteral("/usr/bin/python3");

class LoopbackServer {
public:
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;
    ~LoopbackServer() { stop(); }

    bool started() const { return port_ != 0; }
    quint16 port() const { return port_; }
    // Everything the server printed so far; waits a little for lines still on their way.
    QString log(int waitMs = 200) {
        QDeadlineTimer deadline(waitMs);
        while (process_.state() == QProcess::Running && process_.waitForReadyRead(int(deadline.remainingTime())))
            output_ += QString::fromUtf8(process_.readAll());
        output_ += QString::fromUtf8(process_.readAll());
        return output_;
    }
    void stop() {
        if (process_.state() == QProcess::NotRunning)
            return;
        process_.terminate();
        if (!process_.waitForFinished(3000)) {
            process_.kill();
            process_.waitForFinished(3000);
        }
    }

protected:
    LoopbackServer() { process_.setProcessChannelMode(QProcess::MergedChannels); }

    // Starts the server and reads its port from the line matching portLine.
    void start(const QStringList& arguments, const QRegularExpression& portLine) {
        process_.start(kDebianPython, arguments);
        if (!process_.waitForStarted(5000))
            return;
        QDeadlineTimer deadline(10000);
        while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
            process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            output_ += QString::fromUtf8(process_.readAll());
            const auto match = portLine.match(output_);
            if (match.hasMatch()) {
                port_ = quint16(match.captured(1).toUInt());
                return;
            }
        }
    }

private:
    QProcess process_;
    QString output_;
    quint16 port_ = 0;
};

// Serves a folder over HTTP.
class HttpServer : public LoopbackServer {
public:
    explicit HttpServer(const QString& folder) {
        start({QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("0"),
               QStringLiteral("--bind"), QStringLiteral("127.0.0.1"), QStringLiteral("--directory"), folder},
              QRegularExpression(QStringLiteral("Serving HTTP on 127\\.0\\.0\\.1 port (\\d+)")));
    }
    QString url(const QString& path) const { return QStringLiteral("http://127.0.0.1:%1/%2").arg(port()).arg(path); }
};

// Serves one file over HTTP in a manner of its own: behind a user name and password, a few
// bytes at a time, or stalling after the first bytes (see servers/calendar_server.py).
class FileServer : public LoopbackServer {
public:
    explicit FileServer(const QString& file, const QStringList& options = {}) {
        start(QStringList{QStringLiteral(ORTOLAN_TEST_SERVERS "/calendar_server.py"), file} + options,
              QRegularExpression(QStringLiteral("Serving on port (\\d+)")));
    }
    QString url(const QString& userInfo = QString()) const {
        const QString credentials = userInfo.isEmpty() ? QString() : userInfo + QLatin1Char('@');
        return QStringLiteral("http://") + credentials + QStringLiteral("127.0.0.1:%1/calendar.ics").arg(port());
    }
    int requests() { return int(log().count(QStringLiteral("request "))); }
};

// Serves a folder over FTP, read-only, to one user with a password.
class FtpServer : public LoopbackServer {
public:
    FtpServer(const QString& folder, const QString& user, const QString& password) {
        start({QStringLiteral("-u"), QStringLiteral("-m"), QStringLiteral("pyftpdlib"), QStringLiteral("-i"),
               QStringLiteral("127.0.0.1"), QStringLiteral("-p"), QStringLiteral("0"), QStringLiteral("-d"), folder,
               QStringLiteral("-u"), user, QStringLiteral("-P"), password},
              QRegularExpression(QStringLiteral("starting FTP server on 127\\.0\\.0\\.1:(\\d+)")));
    }
    // The same, sending files a few bytes at a time (see servers/ftp_server.py).
    FtpServer(const QString& folder, const QString& user, const QString& password, int bytesPerSecond) {
        start({QStringLiteral("-u"), QStringLiteral(ORTOLAN_TEST_SERVERS "/ftp_server.py"), folder, user, password,
               QStringLiteral("--drip"), QString::number(bytesPerSecond)},
              QRegularExpression(QStringLiteral("starting FTP server on 127\\.0\\.0\\.1:(\\d+)")));
    }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(port()); }
    // How many log-ons the server has seen.
    int logons() { return int(log().count(QStringLiteral("logged in."))); }
};

// A loopback port nothing listens on: connections to it are refused.
inline quint16 closedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd); // bound but never listening, and now closed
    return ntohs(address.sin_port);
}

} // namespace ortolan::test

// Skips a test whose server did not start, except in CI, where the server must start.
#define REQUIRE_SERVER(server)                                                                                         \
    do {                                                                                                               \
        if (!(server).started()) {                                                                                     \
            if (qgetenv("CI") == "true")                                                                               \
                QFAIL("the test server (Debian's /usr/bin/python3) did not start");                                    \
            QSKIP("the test server (Debian's /usr/bin/python3 with pyftpdlib) is not available");                      \
        }                                                                                                              \
    } while (false)
