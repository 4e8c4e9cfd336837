#include "Curl.h"

#include "Transfer.h"

#include <curl/curl.h>
#include <mutex>
#include <QUrl>

namespace ortolan::net {

namespace {

void initialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct Sink {
    QByteArray* bytes;
    bool tooLarge = false;
};

size_t collect(char* data, size_t size, size_t count, void* user) {
    auto* sink = static_cast<Sink*>(user);
    const size_t n = size * count;
    if (sink->bytes->size() + qint64(n) > kMaxDownloadBytes) {
        sink->tooLarge = true;
        return 0; // stops the transfer
    }
    sink->bytes->append(data, qsizetype(n));
    return n;
}

} // namespace

CurlHandle::CurlHandle() {
    initialiseOnce();
    handle_ = curl_easy_init();
}

CurlHandle::~CurlHandle() {
    if (handle_)
        curl_easy_cleanup(handle_);
}

void CurlHandle::renew() {
    if (handle_)
        curl_easy_cleanup(handle_);
    handle_ = curl_easy_init();
    error_[0] = '\0';
}

QString CurlHandle::errorText(int code) const {
    const QString detail = QString::fromUtf8(error_).trimmed();
    return detail.isEmpty() ? QString::fromUtf8(curl_easy_strerror(CURLcode(code))) : detail;
}

QString addressToShow(const QString& url) {
    const QUrl parsed(url.trimmed(), QUrl::TolerantMode);
    if (parsed.userInfo().isEmpty() && !url.contains(QLatin1Char('@')))
        return url;
    if (parsed.isValid())
        return parsed.toString(QUrl::RemoveUserInfo);
    // Not an address Qt can take apart: cut everything up to the last "@" of its authority.
    const qsizetype start = url.indexOf(QLatin1String("//"));
    const qsizetype end = url.indexOf(QLatin1Char('/'), start < 0 ? 0 : start + 2);
    const qsizetype at = url.left(end < 0 ? url.size() : end).lastIndexOf(QLatin1Char('@'));
    return at < 0 ? url : url.left(start < 0 ? 0 : start + 2) + url.mid(at + 1);
}

Fetched fetchUrl(const QString& url, int connectSeconds, Transfer* transfer, int totalSeconds) {
    Fetched result;
    CurlHandle curl;
    if (!curl.get()) {
        result.error = QStringLiteral("Could not read %1: the network library could not start.").arg(addressToShow(url));
        return result;
    }
    const QByteArray address = url.toUtf8();
    Sink sink{&result.bytes};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, address.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, long(connectSeconds));
    // A server that stops sending for 10 s is given up on, however large the calendar.
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 10L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, long(totalSeconds));
    Transfer::attach(h, transfer);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, curl.errorBuffer());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    const CURLcode code = curl_easy_perform(h);
    if (code == CURLE_OK) {
        result.ok = true;
        return result;
    }
    result.bytes.clear();
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        result.error = QStringLiteral("Reading %1 was cancelled.").arg(addressToShow(url));
        return result;
    }
    result.error = sink.tooLarge ? QStringLiteral("Could not read %1: it is larger than %2 MiB.")
                                       .arg(addressToShow(url))
                                       .arg(kMaxDownloadBytes / (1024 * 1024))
                                 : QStringLiteral("Could not read %1: %2").arg(addressToShow(url), curl.errorText(code));
    return result;
}

} // namespace ortolan::net
