#pragma once

#include "campaign/CampaignContext.h"
#include "campaign/SqlText.h"
#include "dialer_link/Dispatcher.h"

class Counters;
class DebugFile;
class DialerReplies;

// The dialer gives customers back: a group's or an operator's whole queue
// (70003 -> 70104, 71003 -> 71104) or the records it refused (70004, 71004),
// which are logged and made available again without a reply.
class QueueService {
public:
    QueueService(const CampaignContext &ctx, DialerReplies &replies, Counters &counters, const DebugFile &debug)
        : m_ctx(ctx), m_replies(replies), m_counters(counters), m_debug(debug) {}

    wire::Status liberaCodaGruppo(const DialerRequest &request);
    wire::Status liberaCodaOperatore(const DialerRequest &request);
    wire::Status riceviScartati(const DialerRequest &request);
    // DumpaClienti: logs the customer records of `body` and, when `respinti`,
    // makes each customer available again. A body whose count promises more
    // records than it holds is refused whole.
    wire::Status dumpaClienti(const QByteArray &body, bool respinti, bool byOperator, qint32 requestId);

    // The release statements, from the templates or the built-in ones.
    sqltext::Filled groupReleaseStatement(qint32 group) const;
    sqltext::Filled operatorReleaseStatement(const QString &op, const QDate &today) const;

    static const QString kLiberaGruppo;
    static const QString kLiberaOperatore;

private:
    // `line` is the log line's text before and after the number released.
    void release(const DialerRequest &request, const QString &sql, const QString &before, const QString &after, qint32 code,
                 const QString &text);
    void dumpRicevuto(const DialerRequest &request);
    void reactivate(const QString &idText, qint32 requestId);

    CampaignContext m_ctx;
    DialerReplies &m_replies;
    Counters &m_counters;
    const DebugFile &m_debug;
};

// The dispatcher's three entries into the queue service.
class QueueEntry : public DialerService {
public:
    enum Kind { GroupRelease, OperatorRelease, Discard };
    QueueEntry(QueueService &s, Kind kind) : m_s(s), m_kind(kind) {}
    wire::Status serve(const DialerRequest &r) override;

private:
    QueueService &m_s;
    Kind m_kind;
};
