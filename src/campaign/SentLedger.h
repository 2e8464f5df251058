#pragma once

#include <QDateTime>
#include <QHash>

// The customers this server has put in its dialer's queue and not yet seen
// come back (outcome, release, refusal, time-out), with when it sent them.
// Several servers may share one campaign database: a queue release gives
// back only these, never customers another server's dialer holds.
// Forgotten at exit, and when a reset gives every customer back: what an
// earlier run sent is not this run's to give back.
class SentLedger {
public:
    // Bounded: past this many, customers sent are not recorded, and a
    // release leaves them sent (the conservative side).
    static constexpr qsizetype kMaxEntries = 500000;

    // A time as the ledger and the sent-at table keep it: whole seconds.
    static QDateTime whole(const QDateTime &when);

    // False when the ledger is full and `id` was not recorded.
    bool add(qint64 id, const QDateTime &sentAt);
    void remove(qint64 id) { m_sent.remove(id); }
    bool contains(qint64 id) const { return m_sent.contains(id); }
    QDateTime sentAt(qint64 id) const;
    qsizetype size() const { return m_sent.size(); }
    void clear() { m_sent.clear(); }

private:
    QHash<qint64, qint64> m_sent; // id -> milliseconds since the epoch
};
