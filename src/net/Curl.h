#pragma once

#include <QByteArray>
#include <QString>

typedef void CURL;

namespace ortolan::net {

// One libcurl easy handle, owned. libcurl's global set-up is done once, on first use.
class CurlHandle {
public:
    CurlHandle();
    ~CurlHandle();
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    CURL* get() const { return handle_; }
    // Closes the handle's connections and starts again with a fresh handle.
    void renew();
    // libcurl's fuller reason for the last failed transfer, written into this buffer.
    char* errorBuffer() { return error_; }
    // The reason a transfer failed, from its result code and the error buffer.
    QString errorText(int code) const;

private:
    CURL* handle_ = nullptr;
    char error_[256] = {};
};

// Bodies larger than this are refused rather than held in memory.
inline constexpr qint64 kMaxDownloadBytes = 256LL * 1024 * 1024;

struct Fetched {
    bool ok = false;
    QByteArray bytes;
    QString error; // why it failed, naming the address
};

// The address as it may be shown or logged: without the user name and password it may carry.
QString addressToShow(const QString& url);

class Transfer;

// Reads an http:// or https:// address: redirects followed, a server error (4xx, 5xx) is a
// failure, a connection must open within connectSeconds and the transfer may not stall, nor
// take longer than totalSeconds in all (0: no such limit). With a transfer given, it reports
// its progress there and stops when the transfer is cancelled.
Fetched fetchUrl(const QString& url, int connectSeconds = 5, Transfer* transfer = nullptr, int totalSeconds = 0);

} // namespace ortolan::net
