#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QHash>
#include <QTimer>
#include <deque>
#include <random>

#include "dialer_sim/HoldJournal.h"
#include "dialer_sim/ReplyCheck.h"
#include "wire/FramedReader.h"

class QTcpServer;

// Plays the dialer server against the program: listens, takes the
// program's connection, expects DBOK, then asks for groups, customers per
// group and per operator, reports one outcome per customer received, drops
// queues and refuses records, checking every reply. Any protocol violation
// ends the run with a failure.
//
// With `pipeline` above 1 it writes up to that many requests at once and
// matches the replies in order; with `stallMs` it stops reading for that
// long after every `stallEvery` replies, as a dialer busy elsewhere would
// (its socket then holds at most kReadBuffer, and TCP holds the program back).
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
        // Above 0: groups, an outcome or a release may go unanswered, as when
        // the program's database fails; after this long without its reply
        // the request is given up and an outcome reported again later.
        int unansweredMs = 0;
        int pipeline = 1;        // requests written at once
        int stallEvery = 0;      // replies between stalls; 0: never stops reading
        int stallMs = 0;
        // A program that goes away (killed, restarted) is waited for, not a
        // failure: what it had not answered is forgotten and the run goes on
        // with its next connection.
        bool waitForRestarts = false;
        // Above 0 (with waitForRestarts): the link is dropped right after every
        // that many outcomes are written, before their acknowledgements are
        // read, as when it fails between the program's commit and its reply.
        int dropLinkEvery = 0;
        QString journal; // with a path: the customers held, as HoldJournal writes them
        qint32 group = 0;           // every customers request for this group; 0: each group in turn
        bool outcomes = true;       // report an outcome for customers received
        bool releases = true;       // drop queues now and then
        bool customersOnly = false; // ask for group customers only: no operators, releases, refusals
    };

    struct Stats {
        qint64 requests = 0;
        qint64 customers = 0;
        qint64 outcomesAcked = 0;
        qint64 unanswered = 0;   // requests given up (unansweredMs)
        qint64 releases = 0;
        qint64 discarded = 0;
        qint64 stalls = 0;
        qint64 largestWrite = 0; // requests in one write
        double seconds = 0;
        QList<qint64> groupLatencyUs;   // 100-customer (or configured) group requests
        QList<qint64> outcomeLatencyUs;
        QString violation;
        qint64 connections = 0;
        QList<qint32> ackedProgressives; // of every acknowledged outcome, as sent
        QList<qint64> received;          // every customer received, in order
        QList<qint64> emptyLatencyUs;    // group requests answered with no customer
        qint64 replayed = 0;             // outcomes reported again after the program went away
        qint64 linksDropped = 0;         // by dropLinkEvery
    };

    static constexpr qint64 kReadBuffer = 16 * 1024;

    explicit Simulator(Options options, QObject *parent = nullptr);

    // False when the port or the journal cannot be opened.
    bool listen();
    quint16 port() const;
    const Stats &stats() const { return m_stats; }
    static qint64 percentile(QList<qint64> values, double p);
    QString summary() const;

Q_SIGNALS:
    void finished(bool ok);
    void outcomeAcknowledged(qint32 progressive);
    void peerLost();

private:
    enum class Expect { Groups, Customers, OperatorCustomers, Outcome, Release, OperatorRelease };

    // A request waiting for its reply; replies come in request order.
    struct Outstanding {
        qint32 id = 0;
        Expect expect = Expect::Groups;
        qint64 sentNs = 0;
        bool timed = false;         // a full-size group request
        qint32 group = 0;
        QString op;
        bool outcomesAfter = false; // report an outcome for each customer
        bool keep = false;          // refuse these records later
        qint32 progressive = 0;     // of an outcome
        QList<qint64> received;
        QList<QByteArray> records;
        qint64 customer = 0;        // of an outcome
        QByteArray body;            // of an outcome, to report it again as it was
    };
    // A request's expectation with every other field at its default.
    static Outstanding expecting(Expect expect);

    void onConnection();
    void onPeerLost();
    bool hasPeer() const;
    void onFrame(const QByteArray &framed);
    void onPacket(const packet::Packet &p);
    // A request the program may leave unanswered, given up when allowed.
    bool mayGoUnanswered(const Outstanding &o) const;
    void giveUpFront();
    void onReplyTimeout();
    bool completes(const packet::Packet &p, Outstanding &o);
    bool expectCode(const packet::Packet &p, const Outstanding &o, qint32 code);
    bool takeGroups(const packet::Packet &p);
    bool completesCustomers(const packet::Packet &p, Outstanding &o, qint64 latencyUs);
    void customersReceived(const Outstanding &o, qint64 latencyUs);
    void stall();
    void next();
    bool step(int phase);
    bool refuseKept();
    void send(qint32 code, const QByteArray &body, Outstanding o);
    void sendDiscard(const QByteArray &body);
    void flush();
    void sendCustomers(bool byOperator, qint32 quantity, bool outcomes, bool keep);
    void sendOutcome(qint64 customer);
    void fail(const QString &why);
    void finish();
    bool timeUp() const;

    Options m_options;
    Stats m_stats;
    QTcpServer *m_server;
    wire::FramedReader m_reader; // its socket is the program's connection
    QByteArray m_batch; // requests not yet written
    int m_batchCount = 0;
    QTimer m_replyTimer;
    bool m_stalled = false;
    qint64 m_replies = 0;
    QElapsedTimer m_run;
    std::mt19937 m_random;

    bool m_awaitingDbOk = false;
    std::deque<Outstanding> m_outstanding;
    qint32 m_id = 0;
    QString m_tag = QStringLiteral("SIM-PD");
    int m_round = 0;
    int m_phase = 0;
    QList<qint32> m_groups;
    qint32 m_group = 0;
    QString m_operator;
    QList<qint64> m_pendingOutcomes;
    QList<Outstanding> m_replays; // outcomes the program took with it, reported again as they were
    QList<QByteArray> m_kept;
    QList<qint64> m_keptIds;
    HoldJournal m_journal;
    QHash<qint32, qint32> m_givenUp; // outcome id -> progressive, whose acknowledgement may still come
    bool m_done = false;
    qint64 m_outcomesWritten = 0;
    qint64 m_progressiveBase = 0; // of this run's outcomes
    bool m_dropAfterFlush = false;
};
