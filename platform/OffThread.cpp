#include "OffThread.h"

#include <QEventLoop>
#include <QFutureWatcher>
#include <QPromise>
#include <QTimer>

#include <thread>

namespace platform {

// The thread holds the promise alone; the caller holds the future through a watcher. When the
// caller has gone, the answer goes into a future nobody watches any more.
std::optional<bool> askOffThread(std::function<bool()> question, int deadlineMs) {
    QPromise<bool> promise;
    QFutureWatcher<bool> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(deadlineMs, &loop, &QEventLoop::quit);
    watcher.setFuture(promise.future());
    std::thread([promise = std::move(promise), question = std::move(question)]() mutable {
        promise.start();
        promise.addResult(question());
        promise.finish();
    }).detach();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QFuture<bool> answer = watcher.future();
    if (!answer.isResultReadyAt(0)) {
        return std::nullopt;
    }
    return answer.resultAt(0);
}

} // namespace platform
