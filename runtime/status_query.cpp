#include "runtime/status_query.h"

#include "runtime/status_asker.h"

StatusQuery::Limits StatusQuery::default_limits;

StatusQuery::StatusQuery(QObject *parent)
    : QObject(parent)
    , asker(new StatusAsker(default_limits.parallel, default_limits.time_limit_ms))
{
    qRegisterMetaType<RunState>();
    asker->moveToThread(&thread);
    connect(&thread, &QThread::finished, asker, &QObject::deleteLater);
    connect(asker, &StatusAsker::state_known, this, [this](int answered, const QString &name, RunState state) {
        if (answered == round)
            emit state_known(name, state);
    });
    connect(asker, &StatusAsker::finished, this, [this](int answered) {
        if (answered != round)
            return;
        asking = false;
        emit finished();
    });
    thread.start();
}

// The asker ends in its own thread as the thread ends, and its scripts with it.
StatusQuery::~StatusQuery()
{
    thread.quit();
    thread.wait();
}

void StatusQuery::ask(const QStringList &names)
{
    const int asked = ++round;
    asking = true;
    const QProcessEnvironment environment = clean_environment(QProcessEnvironment::systemEnvironment());
    QMetaObject::invokeMethod(asker, [this, asked, names, environment] { asker->ask(asked, names, environment); },
                              Qt::QueuedConnection);
}

void StatusQuery::cancel()
{
    ++round;
    asking = false;
    QMetaObject::invokeMethod(asker, [this] { asker->cancel(); }, Qt::QueuedConnection);
}
