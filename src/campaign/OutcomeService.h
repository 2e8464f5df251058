#pragma once

#include <QSqlRecord>
#include <functional>

#include "campaign/CampaignContext.h"
#include "campaign/SqlText.h"
#include "dialer_link/OutcomeRecord.h"
#include "dialer_link/Dispatcher.h"

class Counters;
class DialerReplies;

// RegistraEsito: records an outcome (70002, 71002), updates the customer and
// acknowledges with AckEsito (70103). The outcome row, the customer's update
// and the schedule update are one transaction, committed before the
// acknowledgement: if the database fails, nothing is acknowledged and the
// dialer can report the outcome again. An outcome reported again after it
// was stored (its acknowledgement lost with the link) is acknowledged
// again without a second row, so that it counts once.
class OutcomeService {
public:
    OutcomeService(const CampaignContext &ctx, DialerReplies &replies, Counters &counters)
        : m_ctx(ctx), m_replies(replies), m_counters(counters) {}

    // A body too short for its record is refused: nothing stored, nothing acknowledged.
    wire::Status registraEsito(const DialerRequest &request);
    // ContaProblemi: negative outcomes recorded for the customer; -1 on error.
    qint64 contaProblemi(qint64 id, QString &error);
    // Its statement for customer `id`, from the template or the built-in one.
    sqltext::Filled problemCountStatement(qint64 id) const;

    static const QString kContaProblemi;
    static const QString kSameOutcome;
    static constexpr qint64 kDuplicateWindowSeconds = 24 * 3600;

private:
    using Effects = QList<std::function<void()>>;
    bool alreadyStored(const OutcomeRecord &o, const QDateTime &now, bool &found, QString &error);
    bool record(const OutcomeRecord &o, const QDateTime &now, Effects &after, QString &error);
    // What the outcome does to customer `id` (found or not) once recorded.
    bool settle(const OutcomeRecord &o, qint64 id, bool exists, const QDateTime &recall, Effects &after, QString &error);
    // Answering machine, fax or wrong number: discarded past the limit, else available again.
    bool negative(const OutcomeRecord &o, qint64 id, const QDateTime &recall, Effects &after, QString &error);
    bool update(const QSqlRecord &row, const OutcomeRecord &o, const QDateTime &now, QDateTime &recall, QString &error);
    bool makeAvailable(qint64 id, const QDateTime &recall, Effects &after, QString &error);
    bool setFlag(qint64 id, int flag, QString &error);
    void logRx(const QString &text, qint32 id);

    CampaignContext m_ctx;
    DialerReplies &m_replies;
    Counters &m_counters;
    qint32 m_requestId = 0;
};
