#pragma once

#include "net/Curl.h"
#include "net/Transfer.h"

#include <QString>

namespace ortolan {

struct FtpResult {
    bool ok = false;
    QString error;     // why it failed, naming the server or the file
    QString localPath; // a download: where the file landed
};

// A small blocking FTP client: logs on to a server with a user name and password, keeps the
// connection open and downloads files from it into a local folder.
//
// The server may be given as "name", "name:port" or "ftp://name[:port]". The user name and the
// password go to the network library as they are; they never appear in an address, an error
// text or anything written out.
class FtpClient {
public:
    // Connected is 4, as it always was for the program's FTP control.
    enum class State { Disconnected = 0, Connected = 4 };

    static constexpr int kConnectSeconds = 5;
    static constexpr int kStalledSeconds = 15; // a transfer or answer that stalls this long fails

    State state() const { return state_; }
    const QString& userName() const { return userName_; }
    void setUserName(const QString& name) { userName_ = name; }
    const QString& password() const { return password_; }
    void setPassword(const QString& password) { password_ = password; }
    // The server as last given to connect, "name" or "name:port".
    const QString& host() const { return host_; }
    // The folder the server put the user in on logging on, e.g. "/"; empty when not connected.
    const QString& remoteFolder() const { return remoteFolder_; }

    // Reports progress to transfer and stops when it is cancelled (null: neither).
    void setTransfer(net::Transfer* transfer) { transfer_ = transfer; }

    // Logs on to host with the user name and password, always on a new connection: a
    // connection already open is closed first.
    FtpResult connect(const QString& host);
    // Closes the connection.
    void disconnect();

    // Downloads remotePath (separated by "/" or "\", relative to the folder the user was put in
    // unless it starts with a separator) into localFolder, under the remote file's base name
    // only, so nothing is ever written outside localFolder. A file of that name is replaced
    // only when the whole download succeeded. When not connected, it logs on again to the
    // server last given to connect with the user name and password as they are now; with no
    // server given yet it fails.
    FtpResult download(const QString& localFolder, const QString& remotePath);

private:
    int perform(const QByteArray& url); // sets the common options and runs one request
    QString failureText(int code, const QString& file) const;

    net::CurlHandle curl_;
    net::Transfer* transfer_ = nullptr;
    State state_ = State::Disconnected;
    QString userName_;
    QString password_;
    QString host_;
    QString remoteFolder_;
};

// The remote file's base name from a path separated by "/" or "\"; empty when the path names no
// file (nothing after its last separator, or "." or "..").
QString remoteBaseName(const QString& remotePath);

// The address of remotePath on host: "\" taken as "/", each name percent-encoded, and a path
// starting with a separator made absolute ("%2F"). host is "name" or "name:port".
QByteArray remoteFileUrl(const QString& host, const QString& remotePath);

// A server as the user may type it: "name", "name:port" or "ftp://[user[:password]@]name[:port][/...]".
struct FtpAddress {
    QString host;     // "name" or "name:port": all of it that is ever stored, logged or shown
    QString user;     // from the address, percent-decoded
    QString password; // from the address, percent-decoded
    bool hasUser = false;
    bool hasPassword = false;
};
FtpAddress splitFtpAddress(const QString& server);

// "name" or "name:port" from any form splitFtpAddress takes.
QString ftpHostName(const QString& server);

} // namespace ortolan
