#include "logviewer/logloader.h"

LogLoader::LogLoader(QObject *parent)
    : QObject(parent)
{ }

LogLoader::~LogLoader()
{
    cancel();
    for (const QPointer<QThread> &thread : qAsConst(threads)) {
        if (thread)
            thread->wait();
    }
}

void LogLoader::cancel()
{
    ++generation;
    loading = false;
    for (const QPointer<QThread> &thread : qAsConst(threads)) {
        if (thread)
            thread->requestInterruption();
    }
}

void LogLoader::load(const QString &path, const std::shared_ptr<const ViewerLog> &later)
{
    cancel();
    loading = true;
    const int current = generation;
    // Results come back as queued calls on this object, and count only while no newer load
    // has started.
    QThread *thread = QThread::create([this, path, later, current] {
        QThread *self = QThread::currentThread();
        int shown = -1;
        const auto progress = [&](int thousandths) {
            if (thousandths == shown)
                return;
            shown = thousandths;
            QMetaObject::invokeMethod(
                    this,
                    [this, current, thousandths] {
                        if (current == generation)
                            emit progressed(thousandths);
                    },
                    Qt::QueuedConnection);
        };
        std::shared_ptr<const ViewerLog> log = readViewerLog(
                path, later.get(), progress, [self] { return self->isInterruptionRequested(); });
        if (!log)
            return;
        QMetaObject::invokeMethod(
                this,
                [this, current, log] {
                    if (current != generation)
                        return;
                    loading = false;
                    emit loaded(log);
                },
                Qt::QueuedConnection);
    });
    thread->setParent(this);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    threads.removeAll(nullptr);
    threads.append(thread);
    thread->start();
}
