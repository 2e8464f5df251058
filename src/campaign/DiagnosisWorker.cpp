#include "campaign/DiagnosisWorker.h"

#include "campaign/CampaignDb.h"

#include <QThread>

// Lives on the worker's thread with its connection; every call comes queued
// from the main thread.
class DiagnosisWorker::Computer : public QObject {
public:
    void setConnection(const ConnectionParams &conn)
    {
        m_db.close();
        m_conn = conn;
    }
    void setHook(std::function<void()> hook) { m_hook = std::move(hook); }

    EmptyAnswerDiagnosis compute(const Subject &s, const QDateTime &now, int intervallo)
    {
        EmptyAnswerDiagnosis d;
        d.subject = s.byOperator ? EmptyAnswerDiagnosis::Subject::Operator : EmptyAnswerDiagnosis::Subject::Group;
        d.who = s.who;
        if (!ready(d.error))
            return d;
        if (m_hook)
            m_hook();
        if (s.byOperator)
            return EmptyAnswerDiagnosis::forOperator(m_db, s.who, now, intervallo);
        return EmptyAnswerDiagnosis::forGroup(m_db, s.who.toInt(), now);
    }

private:
    bool ready(QString &error)
    {
        if (m_conn.kind == ConnectionParams::Kind::Invalid) {
            error = QStringLiteral("database not open");
            return false;
        }
        if (m_db.isLost())
            return m_db.reconnect(error);
        return m_db.isOpen() || m_db.open(m_conn, error);
    }

    ConnectionParams m_conn;
    CampaignDb m_db;
    std::function<void()> m_hook;
};

DiagnosisWorker::DiagnosisWorker(QObject *parent)
    : QObject(parent), m_thread(new QThread(this)), m_computer(new Computer)
{
    m_thread->setObjectName(QStringLiteral("diagnosi"));
    m_computer->moveToThread(m_thread);
    m_thread->start();
}

DiagnosisWorker::~DiagnosisWorker()
{
    // The connection is closed on the thread that opened it, after the
    // computation under way (bounded by the statements' time-out).
    Computer *computer = m_computer;
    QMetaObject::invokeMethod(computer, [computer] { computer->setConnection({}); }, Qt::BlockingQueuedConnection);
    m_thread->quit();
    m_thread->wait();
    delete computer;
}

void DiagnosisWorker::setConnection(const ConnectionParams &conn)
{
    ++m_generation;
    m_kept.clear();
    Computer *computer = m_computer;
    QMetaObject::invokeMethod(computer, [computer, conn] { computer->setConnection(conn); }, Qt::QueuedConnection);
}

void DiagnosisWorker::setBeforeComputing(std::function<void()> hook)
{
    Computer *computer = m_computer;
    QMetaObject::invokeMethod(computer, [computer, hook = std::move(hook)] { computer->setHook(hook); },
                              Qt::QueuedConnection);
}

bool DiagnosisWorker::request(const Subject &subject, const QDateTime &now, int intervalloMinutes, Done done)
{
    const auto kept = m_kept.find(subject);
    if (kept != m_kept.end() && kept->second.age.elapsed() < m_keepMs) {
        QMetaObject::invokeMethod(this, [done = std::move(done), d = kept->second.result] { done(d); },
                                  Qt::QueuedConnection);
        return true;
    }
    if (m_waiting >= kMaxWaiting)
        return false;
    ++m_waiting;
    auto [job, added] = m_jobs.try_emplace(subject);
    job->second.callers.push_back(std::move(done));
    if (added) {
        job->second.now = now;
        job->second.intervallo = intervalloMinutes;
        m_queue.push_back(subject);
        startNext();
    }
    return true;
}

void DiagnosisWorker::startNext()
{
    if (m_running || m_queue.empty())
        return;
    const Subject subject = m_queue.front();
    m_queue.pop_front();
    m_running = subject;
    const Job &job = m_jobs[subject];
    Computer *computer = m_computer;
    const quint64 generation = m_generation;
    // The destructor waits for the thread, so `self` outlives the computation;
    // a result posted to it after it has gone is dropped by Qt.
    DiagnosisWorker *self = this;
    QMetaObject::invokeMethod(
        computer,
        [computer, self, subject, generation, now = job.now, intervallo = job.intervallo] {
            const EmptyAnswerDiagnosis d = computer->compute(subject, now, intervallo);
            QMetaObject::invokeMethod(self, [self, subject, generation, d] { self->finished(subject, generation, d); },
                                      Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void DiagnosisWorker::finished(const Subject &subject, quint64 generation, const EmptyAnswerDiagnosis &d)
{
    ++m_computations;
    m_running.reset();
    if (generation == m_generation)
        keep(subject, d);
    const auto job = m_jobs.find(subject);
    std::vector<Done> callers;
    if (job != m_jobs.end()) {
        callers = std::move(job->second.callers);
        m_jobs.erase(job);
    }
    m_waiting -= int(callers.size());
    startNext();
    for (const Done &done : callers)
        done(d);
}

void DiagnosisWorker::keep(const Subject &subject, const EmptyAnswerDiagnosis &d)
{
    if (m_kept.size() >= kMaxKept) {
        for (auto it = m_kept.begin(); it != m_kept.end();)
            it = it->second.age.elapsed() >= m_keepMs ? m_kept.erase(it) : std::next(it);
        if (m_kept.size() >= kMaxKept)
            m_kept.clear(); // bounded whatever the pages ask for
    }
    Kept &k = m_kept[subject];
    k.result = d;
    k.age.start();
}
