#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include "campaign/CampaignContext.h"

class Counters;

// "OreRilascioInviati": a customer marked sent whose outcome never comes (a
// dialer that crashed or dropped its queue, a lost link) is given back once
// it has been sent that many hours, checked once a minute. Off (0) by default.
//
// When a customer was sent is kept in a table of the program's own, made
// the first time the setting is found on; the campaign's tables are left as
// they are: "Quorin_Inviati" (contatore, inviato_il), one row per customer,
// written in the transaction that marks it sent. Customers found sent with
// no row (sent before the setting was on, or by a program without it) are
// counted from the minute they are found.
//
// Several servers may run this at once on one database: a customer is
// given back in one transaction that first takes its row ("still sent?")
// and then its stamp ("still the old one?"); a customer another server gave
// back and sent again meanwhile carries a newer stamp and stays sent.
class SentTimeout {
public:
    static const QString kTable;
    // Customers looked at in one minute, so that a crash of a large queue
    // does not hold the program: the rest follow a minute later.
    static constexpr int kBatch = 1000;

    SentTimeout(const CampaignContext &ctx, Counters &counters) : m_ctx(ctx), m_counters(counters) {}

    // Once a minute: finds out whether the table is there, and with the
    // setting on makes it and gives back what is overdue.
    void tick();
    // Inside the transaction that marks `ids` sent: when they were sent,
    // while the table is there (whichever server made it).
    bool stamp(const QList<qint64> &ids, const QDateTime &at, QString &error);
    // Inside a transaction: gives `id` back if it is still sent, sent before
    // `cutoff`; 1 when given back, 0 when not, -1 on error.
    int giveBack(qint64 id, const QDateTime &cutoff, QString &error);
    bool tablePresent() const { return m_present; }

private:
    bool refreshPresence();
    bool create(QString &error);
    bool adopt(const QDateTime &now, QString &error);
    bool forgetAnswered(const QDateTime &cutoff, QString &error);
    void sweep(int hours);

    CampaignContext m_ctx;
    Counters &m_counters;
    bool m_present = false;
};
