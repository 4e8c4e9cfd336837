#include "Transfer.h"

#include <curl/curl.h>
#include <memory>
#include <QEventLoop>
#include <QThread>

namespace ortolan::net {

void Transfer::run(const std::function<void()>& work) {
    running_ = true;
    QEventLoop loop;
    const std::unique_ptr<QThread> worker(QThread::create(work));
    QObject::connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
    worker->start();
    if (!worker->isFinished())
        loop.exec();
    worker->wait();
    running_ = false;
}

int Transfer::progress(void* transfer, qint64 downloadTotal, qint64 downloaded, qint64, qint64) {
    auto* t = static_cast<Transfer*>(transfer);
    t->received_ = downloaded;
    t->expected_ = downloadTotal > 0 ? downloadTotal : -1;
    return t->cancelled_ ? 1 : 0; // non-zero stops the transfer
}

namespace {
int xferinfo(void* transfer, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow) {
    return Transfer::progress(transfer, qint64(dltotal), qint64(dlnow), qint64(ultotal), qint64(ulnow));
}
} // namespace

void Transfer::attach(void* curlHandle, Transfer* transfer) {
    CURL* h = static_cast<CURL*>(curlHandle);
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, transfer ? 0L : 1L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, transfer ? xferinfo : nullptr);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, transfer);
}

} // namespace ortolan::net
