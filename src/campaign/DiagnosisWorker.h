#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QObject>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "campaign/ConnectionString.h"
#include "campaign/EmptyAnswerDiagnosis.h"

class QThread;

// Diagnoses of an empty answer, computed off the thread that serves the
// dialer. Their counting queries take about a quarter of a second on a
// million customers; a page asked in a loop must never hold a dialer request.
//
// This is the program's one second thread, and the only one: it owns a
// database connection of its own on the same connection string (a Qt SQL
// connection belongs to the thread that opened it) and does nothing but
// count. It computes one diagnosis at a time; a result is kept for a few
// seconds per subject, and whoever asks for a subject while it is being
// computed shares that computation. Everything else about it lives on the
// main thread: callers are answered there, in the order results come.
class DiagnosisWorker : public QObject {
    Q_OBJECT
public:
    static constexpr int kKeepMs = 5000;
    // Callers waiting for a computation, all subjects together.
    static constexpr int kMaxWaiting = 64;
    static constexpr std::size_t kMaxKept = 256;

    struct Subject {
        bool byOperator = false;
        QString who; // the group number, or the operator's code
        bool operator<(const Subject &o) const
        {
            return byOperator != o.byOperator ? byOperator < o.byOperator : who < o.who;
        }
    };
    using Done = std::function<void(const EmptyAnswerDiagnosis &)>;

    explicit DiagnosisWorker(QObject *parent = nullptr);
    ~DiagnosisWorker() override;

    // The database to count on, opened by the worker when it next counts;
    // an empty (Invalid) one closes it. Results kept so far are forgotten.
    void setConnection(const ConnectionParams &conn);

    // The diagnosis of `subject` as of `now` (`intervalloMinutes`: how far
    // an operator's window reaches). `done` runs later on this object's
    // thread, never inside this call. False, and `done` never runs, when
    // kMaxWaiting callers are waiting already.
    bool request(const Subject &subject, const QDateTime &now, int intervalloMinutes, Done done);

    int waiting() const { return m_waiting; }
    int computations() const { return m_computations; }

    // How long a result is kept (kKeepMs), for tests on a slow machine.
    void setKeepMs(int ms) { m_keepMs = ms; }
    // Tests: runs on the worker's thread before each computation, once its
    // connection is ready, so that a test can hold it there.
    void setBeforeComputing(std::function<void()> hook);

private:
    class Computer;
    struct Job {
        QDateTime now;
        int intervallo = 0;
        std::vector<Done> callers;
    };
    struct Kept {
        EmptyAnswerDiagnosis result;
        QElapsedTimer age;
    };

    void startNext();
    void finished(const Subject &subject, quint64 generation, const EmptyAnswerDiagnosis &d);
    void keep(const Subject &subject, const EmptyAnswerDiagnosis &d);

    QThread *m_thread;
    Computer *m_computer;
    std::map<Subject, Job> m_jobs;      // subjects asked for and not yet answered
    std::deque<Subject> m_queue;        // those not yet started, in the order asked
    std::optional<Subject> m_running;
    std::map<Subject, Kept> m_kept;
    quint64 m_generation = 0;           // of the connection: older results are not kept
    int m_keepMs = kKeepMs;
    int m_waiting = 0;
    int m_computations = 0;
};
