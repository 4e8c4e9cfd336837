#include "FtpClient.h"

#include <curl/curl.h>
#include <QDir>
#include <QSaveFile>
#include <QStringList>
#include <QUrl>

namespace ortolan {

namespace {

const QString kFtpScheme = QStringLiteral("ftp://");

// Where a download's bytes go: the local file, written in full or not at all.
struct Sink {
    QSaveFile* file = nullptr;
    bool tooLarge = false;
    bool writeFailed = false;
};

size_t writeToFile(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const qint64 n = qint64(size * count);
    if (sink->file->pos() + n > net::kMaxDownloadBytes) {
        sink->tooLarge = true;
        return 0; // stops the transfer
    }
    if (sink->file->write(data, n) != n) {
        sink->writeFailed = true;
        return 0;
    }
    return size_t(n);
}

size_t discard(char*, size_t size, size_t count, void*) {
    return size * count;
}

// Whether a request that failed so took the connection with it.
bool connectionLost(int code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_LOGIN_DENIED:
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_ABORTED_BY_CALLBACK:
        return true;
    default:
        return false;
    }
}

FtpResult failed(const QString& error) {
    FtpResult r;
    r.error = error;
    return r;
}

} // namespace

FtpAddress splitFtpAddress(const QString& server) {
    QString rest = server.trimmed();
    if (rest.startsWith(kFtpScheme, Qt::CaseInsensitive))
        rest.remove(0, kFtpScheme.size());
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash < 0 ? rest : rest.left(slash);
    FtpAddress address;
    // The last "@" ends the credentials: a password may hold one.
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString credentials = authority.left(at);
        authority.remove(0, at + 1);
        const qsizetype colon = credentials.indexOf(QLatin1Char(':'));
        address.user = QUrl::fromPercentEncoding(credentials.left(colon < 0 ? credentials.size() : colon).toUtf8());
        address.hasUser = true;
        if (colon >= 0) {
            address.password = QUrl::fromPercentEncoding(credentials.mid(colon + 1).toUtf8());
            address.hasPassword = true;
        }
    }
    address.host = authority;
    return address;
}

QString ftpHostName(const QString& server) {
    return splitFtpAddress(server).host;
}

QString remoteBaseName(const QString& remotePath) {
    QString path = remotePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QString base = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (base == QLatin1String(".") || base == QLatin1String(".."))
        return {};
    return base;
}

QByteArray remoteFileUrl(const QString& host, const QString& remotePath) {
    QString path = remotePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QByteArrayList names;
    for (const QString& name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts))
        names << QUrl::toPercentEncoding(name);
    QByteArray url = "ftp://" + host.toUtf8() + '/';
    if (path.startsWith(QLatin1Char('/')))
        url += "%2F"; // from the server's top folder rather than the user's
    return url + names.join('/');
}

FtpResult FtpClient::connect(const QString& host) {
    disconnect();
    const FtpAddress address = splitFtpAddress(host);
    host_ = address.host;
    if (address.hasUser)
        userName_ = address.user;
    if (address.hasPassword)
        password_ = address.password;
    if (host_.isEmpty())
        return failed(QStringLiteral("No FTP server was given."));
    if (!curl_.get())
        return failed(QStringLiteral("Could not connect to %1: the network library could not start.").arg(host_));
    CURL* h = curl_.get();
    // Only logs on (and finds the folder it was put in); the connection stays open in the handle.
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr);
    const int code = perform(remoteFileUrl(host_, QString()));
    if (code != CURLE_OK)
        return failed(failureText(code, QString()));
    const char* entry = nullptr;
    curl_easy_getinfo(h, CURLINFO_FTP_ENTRY_PATH, &entry);
    remoteFolder_ = entry ? QString::fromUtf8(entry) : QString();
    state_ = State::Connected;
    return {true, {}, {}};
}

void FtpClient::disconnect() {
    curl_.renew();
    state_ = State::Disconnected;
    remoteFolder_.clear();
}

FtpResult FtpClient::download(const QString& localFolder, const QString& remotePath) {
    const QString base = remoteBaseName(remotePath);
    if (base.isEmpty())
        return failed(QStringLiteral("\"%1\" does not name a file to download.").arg(remotePath));
    if (state_ != State::Connected) {
        if (host_.isEmpty())
            return failed(QStringLiteral("Could not download \"%1\": not connected to an FTP server.").arg(remotePath));
        const FtpResult logon = connect(host_);
        if (!logon.ok)
            return logon;
    }

    const QString localPath = QDir(localFolder).filePath(base);
    QSaveFile file(localPath);
    if (!file.open(QIODevice::WriteOnly))
        return failed(QStringLiteral("Could not write \"%1\": %2").arg(localPath, file.errorString()));
    Sink sink{&file};
    CURL* h = curl_.get();
    curl_easy_setopt(h, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    const int code = perform(remoteFileUrl(host_, remotePath));
    curl_easy_setopt(h, CURLOPT_WRITEDATA, nullptr); // sink goes out of scope

    if (code != CURLE_OK) {
        file.cancelWriting(); // any file of that name stays as it was
        if (sink.tooLarge)
            return failed(QStringLiteral("Could not download \"%1\" from %2: it is larger than %3 MiB.")
                              .arg(remotePath, host_)
                              .arg(net::kMaxDownloadBytes / (1024 * 1024)));
        if (sink.writeFailed)
            return failed(QStringLiteral("Could not write \"%1\": %2").arg(localPath, file.errorString()));
        if (connectionLost(code))
            disconnect();
        return failed(failureText(code, remotePath));
    }
    if (!file.commit())
        return failed(QStringLiteral("Could not write \"%1\": %2").arg(localPath, file.errorString()));
    return {true, {}, localPath};
}

int FtpClient::perform(const QByteArray& url) {
    CURL* h = curl_.get();
    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, long(kConnectSeconds));
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(kStalledSeconds));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, long(kStalledSeconds));
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, curl_.errorBuffer());
    net::Transfer::attach(h, transfer_);
    // No user name: curl's anonymous log-on.
    const QByteArray user = userName_.toUtf8();
    const QByteArray password = password_.toUtf8();
    curl_easy_setopt(h, CURLOPT_USERNAME, user.isEmpty() ? nullptr : user.constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, user.isEmpty() ? nullptr : password.constData());
    curl_.errorBuffer()[0] = '\0';
    return curl_easy_perform(h);
}

QString FtpClient::failureText(int code, const QString& file) const {
    switch (code) {
    case CURLE_ABORTED_BY_CALLBACK:
        return file.isEmpty() ? QStringLiteral("Connecting to %1 was cancelled.").arg(host_)
                              : QStringLiteral("Downloading \"%1\" was cancelled.").arg(file);
    case CURLE_LOGIN_DENIED:
        return userName_.isEmpty() ? QStringLiteral("The server %1 refused the anonymous log-on.").arg(host_)
                                   : QStringLiteral("The server %1 refused the log-on for %2.").arg(host_, userName_);
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return QStringLiteral("The file \"%1\" was not found on %2.").arg(file, host_);
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("Could not connect to %1: %2").arg(host_, curl_.errorText(code));
    default:
        if (file.isEmpty())
            return QStringLiteral("Could not log on to %1: %2").arg(host_, curl_.errorText(code));
        return QStringLiteral("Could not download \"%1\" from %2: %3").arg(file, host_, curl_.errorText(code));
    }
}

} // namespace ortolan
