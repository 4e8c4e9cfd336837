#pragma once

#include <atomic>
#include <functional>
#include <QtGlobal>

namespace ortolan::net {

// A network transfer run on a thread of its own while the caller's event loop goes on: the
// windows repaint and take clicks, and a click may cancel the transfer. libcurl asks the
// transfer about once a second even while nothing arrives, so a cancel ends it within a second.
class Transfer {
public:
    // Runs work on a worker thread and returns when it has ended; events are handled meanwhile.
    void run(const std::function<void()>& work);
    // Asks the transfer under way (or the next one) to stop.
    void cancel() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    bool running() const { return running_; }

    // What has arrived so far, and the whole size when the server said it (else -1).
    qint64 received() const { return received_; }
    qint64 expected() const { return expected_; }

    // For libcurl's CURLOPT_XFERINFOFUNCTION, with the transfer as its data: records the
    // progress, and stops the transfer once it is cancelled.
    static int progress(void* transfer, qint64 downloadTotal, qint64 downloaded, qint64, qint64);
    // Sets the progress callback on a libcurl easy handle (transfer may be null: no callback).
    static void attach(void* curlHandle, Transfer* transfer);

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> running_{false};
    std::atomic<qint64> received_{0};
    std::atomic<qint64> expected_{-1};
};

} // namespace ortolan::net
