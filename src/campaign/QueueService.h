#pragma once

#include "campaign/CampaignContext.h"
#include "campaign/SqlText.h"
#include "core/SqlTemplates.h"
#include "dialer_link/Dispatcher.h"

class Counters;
class DebugFile;
class DialerReplies;
class SentTimeout;

// The dialer gives customers back: a group's or an operator's whole queue
// (70003 -> 70104, 71003 -> 71104) or the records it refused (70004, 71004),
// which are logged and made available again without a reply.
//
// A queue is this server's dialer's: the built-in releases give back only
// the customers this server sent (SentLedger), never those another
// server's dialer holds on a shared database. An installation's release
// template runs as written.
class QueueService {
public:
    QueueService(const CampaignContext &ctx, DialerReplies &replies, Counters &counters, const DebugFile &debug,
                 const SentTimeout &sentTimes)
        : m_ctx(ctx), m_replies(replies), m_counters(counters), m_debug(debug), m_sentTimes(sentTimes) {}

    wire::Status liberaCodaGruppo(const DialerRequest &request);
    wire::Status liberaCodaOperatore(const DialerRequest &request);
    // The records refused, in the operator form (71004) or not (70004).
    wire::Status riceviScartati(bool byOperator, const DialerRequest &request);
    // DumpaClienti: logs the customer records of `body` and, when `respinti`,
    // makes each customer available again. A body whose count promises more
    // records than it holds is refused whole.
    wire::Status dumpaClienti(const QByteArray &body, bool respinti, bool byOperator, qint32 requestId);

    // The statement a release runs: the installation's template filled in,
    // or the built-in query of the customers in the queue (its value bound).
    sqltext::Filled groupReleaseStatement(qint32 group) const;
    sqltext::Filled operatorReleaseStatement(const QString &op, const QDate &today) const;

    static const QString kInCodaGruppo;
    static const QString kInCodaOperatore;

private:
    struct Release {
        QString templ;       // the installation's statement, when it has one
        QString select;      // otherwise the customers in the queue ...
        QVariantList binds;
        QString who;         // " CL. grp 4", " CL x OP 140"
        qint32 code;
        QString text;
    };
    void release(const DialerRequest &request, const Release &r);
    // The release runs `sql`: the template's, or the built-in query of the queue with `value` bound.
    void use(Release &r, sqltemplates::Template which, const QString &sql, const QVariant &value) const;
    // ... of which this server's are given back: their number, or -1;
    // `others` counts those it did not send.
    int releaseOwn(const QString &select, const QVariantList &binds, qsizetype &others, QString &error);
    void dumpRicevuto(const DialerRequest &request);
    void reactivate(const QString &idText, qint32 requestId);

    CampaignContext m_ctx;
    DialerReplies &m_replies;
    Counters &m_counters;
    const DebugFile &m_debug;
    const SentTimeout &m_sentTimes;
};
