#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <random>

#include "dialer_sim/ReplyCheck.h"

class QTcpServer;
class QTcpSocket;

// Plays the dialer server against the program: listens, takes the
// program's connection, expects DBOK, then asks for groups, customers per
// group and per operator, reports one outcome per customer received, drops
// queues and refuses records, checking every reply. Any protocol violation
// ends the run with a failure.
class Simulator : public QObject {
    Q_OBJECT
public:
    struct Options {
        quint16 port = 0;
        int seconds = 60;        // run time after DBOK
        int maxOutcomes = 0;     // 0: no limit
        int groupQuantity = 100; // customers asked per group request
        QStringList operators{QStringLiteral("140")};
        QList<std::pair<int, int>> mix{{5, 30}, {8, 20}, {1, 15}, {2, 15}, {6, 10}, {7, 5}, {3, 5}}; // code, weight
        quint32 seed = 1;
        int replyTimeoutMs = 30000;
    };

    struct Stats {
        qint64 requests = 0;
        qint64 customers = 0;
        qint64 outcomesAcked = 0;
        qint64 releases = 0;
        qint64 discarded = 0;
        double seconds = 0;
        QList<qint64> groupLatencyUs;   // 100-customer (or configured) group requests
        QList<qint64> outcomeLatencyUs;
        QString violation;
    };

    explicit Simulator(Options options, QObject *parent = nullptr);

    bool listen();
    quint16 port() const;
    const Stats &stats() const { return m_stats; }
    static qint64 percentile(QList<qint64> values, double p);
    QString summary() const;

Q_SIGNALS:
    void finished(bool ok);

private:
    enum class Expect { Nothing, DbOk, Groups, Customers, OperatorCustomers, Outcome, Release, OperatorRelease, Probe };

    void onConnection();
    void onData();
    void onPacket(const replycheck::Packet &p);
    void next();
    bool step(int phase);
    qint32 send(qint32 code, const QByteArray &body, Expect expect);
    void sendCustomers(bool byOperator, qint32 quantity, bool outcomes, bool keep);
    void sendOutcome(qint64 customer);
    void fail(const QString &why);
    void finish();

    Options m_options;
    Stats m_stats;
    QTcpServer *m_server;
    QTcpSocket *m_peer = nullptr;
    QByteArray m_stream;
    QTimer m_replyTimer;
    QElapsedTimer m_run;
    QElapsedTimer m_request;
    std::mt19937 m_random;

    Expect m_expect = Expect::Nothing;
    qint32 m_id = 0;
    QString m_tag = QStringLiteral("SIM-PD");
    int m_round = 0;
    int m_phase = 0;
    QList<qint32> m_groups;
    qint32 m_group = 0;
    QString m_operator;
    bool m_outcomesAfter = false;
    bool m_keepRecords = false;
    bool m_timed = false;
    QList<qint64> m_received;
    QList<QByteArray> m_records;
    QList<qint64> m_pendingOutcomes;
    QList<QByteArray> m_kept;
    bool m_done = false;
};
