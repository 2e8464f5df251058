#pragma once

#include <functional>
#include <map>
#include <memory>

#include <QSqlRecord>
#include <QVariantList>

#include "campaign/CampaignContext.h"
#include "campaign/CustomerClaims.h"
#include "campaign/CustomerRow.h"
#include "core/Severity.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/Dispatcher.h"

class Counters;
class DiagnosisWorker;
class DialerReplies;
class SentTimeout;

// Customers to call: per group (70001 -> 70102 packets of up to 10 records
// and 70101) and per operator (71001 -> 71102 packets of up to 9 records and
// 71101). The customers of an answer are marked sent in one transaction,
// committed before the first packet that carries them is written; only
// those this server's mark took are sent (CustomerClaims).
class CustomersService {
public:
    static constexpr int kPerGroupPacket = 10;
    static constexpr int kPerOperatorPacket = 9;

    using Statement = CustomersStatement;

    CustomersService(const CampaignContext &ctx, DialerReplies &replies, Counters &counters, SentTimeout &sentTimes)
        : m_ctx(ctx), m_claims(ctx, sentTimes), m_replies(replies), m_counters(counters) {}

    wire::Status rispostaClientiXGruppo(const DialerRequest &request);
    wire::Status rispostaClientiXOperatore(const DialerRequest &request);
    // The "Test Query" entries: count without sending; the count, or -1.
    qint64 testGruppo(const QString &group);
    qint64 testOperatore(const QString &op);
    // Where an empty answer's diagnosis is computed, off the dialer's thread.
    void setDiagnoses(DiagnosisWorker *diagnoses) { m_diagnoses = diagnoses; }

    // The statements, built as the services build them. `group` and `op`
    // are bound, or fill a template's placeholder.
    Statement groupStatement(qint32 top, const QVariant &group) const;
    Statement operatorStatement(qint32 top, const QString &op, const QDateTime &now) const;
    // Whether the group has a customer to send at all (the number of its
    // collectors that have one), asked without the ORDER BY: an exhausted
    // group's ordered query would read its whole index.
    Statement groupProbe(qint32 group) const;

private:
    // `sent`: how many customers went to the dialer.
    bool sendGroup(const DialerRequest &request, qint32 group, qint32 wanted, qint64 &sent);
    // How many customers went to the dialer.
    qint64 sendOperator(const DialerRequest &request, const dialerbody::OperatorRequest &r, qint32 wanted);
    // False when the probe says the group has nobody to send (or failed: `failed`).
    bool groupHasCustomers(qint32 group, bool &failed);
    void sendPackets(const DialerRequest &request, const QList<QSqlRecord> &rows, qint32 group, const QString &op,
                     customerrow::Reply reply);
    // A customer on its way: logged once it is marked sent.
    struct Sent {
        qint64 id;
        qint64 lastOutcome;
        customerrow::Phone phone;
        QString nameAndPhone;
    };
    QList<dialerbody::CustomerRecord> records(const QList<QSqlRecord> &rows, qsizetype first, int k, qint32 group,
                                              customerrow::Reply reply, QList<Sent> &sent);
    void logSent(const QList<Sent> &sent);
    // The quantity a pair may take of what the request has left.
    qint32 capped(qint32 quantity, qint64 left, qint32 requestId);
    void requestLogRow(qint32 id, const QString &who, qint32 wanted, qint64 sent);
    qint64 count(const Statement &s);
    void logRx(const QString &text, qint32 id, Severity severity = Severity::Info);
    // An empty answer for a subject that has customers says why, once a minute at most per subject.
    void explainEmpty(bool byOperator, const QString &who, qint32 requestId);

    CampaignContext m_ctx;
    CustomerClaims m_claims;
    std::map<QString, QDateTime> m_explained; // subject -> when last explained
    std::shared_ptr<int> m_alive = std::make_shared<int>(0); // for explanations still to come
    DiagnosisWorker *m_diagnoses = nullptr;
    DialerReplies &m_replies;
    Counters &m_counters;
};
