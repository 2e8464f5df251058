#include "campaign/SentLedger.h"

QDateTime SentLedger::whole(const QDateTime &when)
{
    return when.addMSecs(-when.time().msec());
}

bool SentLedger::add(qint64 id, const QDateTime &sentAt)
{
    if (m_sent.size() >= kMaxEntries && !m_sent.contains(id))
        return false;
    m_sent.insert(id, whole(sentAt).toMSecsSinceEpoch());
    return true;
}

QDateTime SentLedger::sentAt(qint64 id) const
{
    const auto it = m_sent.constFind(id);
    return it == m_sent.constEnd() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(*it);
}
