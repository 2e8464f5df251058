#pragma once

#include <QSqlRecord>

#include "campaign/CampaignContext.h"
#include "campaign/CustomerRecord.h"
#include "dialer_link/Dispatcher.h"

class Counters;
class DialerReplies;

// Customers to call: per group (70001 -> 70102 packets of up to 10 records
// and 70101) and per operator (71001 -> 71102 packets of up to 9 records and
// 71101). Every customer is marked sent in a transaction committed before
// the packet that carries it is written.
class CustomersService {
public:
    static constexpr int kPerGroupPacket = 10;
    static constexpr int kPerOperatorPacket = 9;

    CustomersService(const CampaignContext &ctx, DialerReplies &replies, Counters &counters)
        : m_ctx(ctx), m_replies(replies), m_counters(counters) {}

    void rispostaClientiXGruppo(const DialerRequest &request);
    void rispostaClientiXOperatore(const DialerRequest &request);
    // The "Test Query" entries: count without sending; the count, or -1.
    qint64 testGruppo(const QString &group);
    qint64 testOperatore(const QString &op);

    // The statements, built as the services build them.
    QString groupStatement(const QString &top, const QString &group) const;
    QString operatorStatement(const QString &top, const QString &op, const QDateTime &now) const;

private:
    bool sendGroup(const DialerRequest &request, qint32 group, qint32 wanted);
    bool sendPackets(const DialerRequest &request, const QList<QSqlRecord> &rows, qint32 group, const QString &op,
                     customerrecord::Reply reply);
    QByteArray records(const QList<QSqlRecord> &rows, qsizetype first, int k, qint32 group, customerrecord::Reply reply,
                       QList<qint64> &ids);
    void requestLogRow(qint32 id, const QString &who, qint32 wanted);
    qint64 count(const QString &sql);

    CampaignContext m_ctx;
    DialerReplies &m_replies;
    Counters &m_counters;
};

class GroupCustomers : public DialerService {
public:
    explicit GroupCustomers(CustomersService &s) : m_s(s) {}
    void serve(const DialerRequest &r) override { m_s.rispostaClientiXGruppo(r); }

private:
    CustomersService &m_s;
};

class OperatorCustomers : public DialerService {
public:
    explicit OperatorCustomers(CustomersService &s) : m_s(s) {}
    void serve(const DialerRequest &r) override { m_s.rispostaClientiXOperatore(r); }

private:
    CustomersService &m_s;
};
