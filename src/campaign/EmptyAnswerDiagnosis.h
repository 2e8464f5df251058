#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

class CampaignDb;

// Why a group or an operator gets no customers: the customers of the
// group's collectors (or of the operator as collector), and how many of
// them each condition of the built-in customers query leaves out, counted
// on the same tables; and, apart, two conditions installations' own
// queries often add (recall later, mandate expired). A customer may fall
// under several; "available" is what the built-in query finds.
struct EmptyAnswerDiagnosis {
    enum class Subject { Group, Operator };

    Subject subject = Subject::Group;
    QString who;                 // the group number or the operator's code
    qint64 collectors = 0;       // of the group; for an operator, the groups naming him
    qint64 customers = 0;
    qint64 noPhone = 0;          // Telefono1 missing or empty
    qint64 alreadySent = 0;      // in the dialer's queue (FlagQuorin 1)
    qint64 negativeLimit = 0;    // set aside after too many negative outcomes (2)
    qint64 toOperator = 0;       // handed to an agent (3)
    qint64 outsideRecall = 0;    // group: recall later than now (not a condition); operator: outside today's window
    qint64 mandateExpired = 0;   // [scadenza mandato] missing or past (not a condition of the built-in queries)
    qint64 available = 0;        // phone, not sent, and (operator) inside the window
    QString error;               // not empty when the database could not answer

    bool ok() const { return error.isEmpty(); }
    // One line, for the lists; then one line per condition, for pages and boxes.
    QString summary() const;
    QStringList lines() const;

    // `intervalloMinutes`: how far past now an operator's window reaches.
    static EmptyAnswerDiagnosis forGroup(const CampaignDb &db, qint32 group, const QDateTime &now);
    static EmptyAnswerDiagnosis forOperator(const CampaignDb &db, const QString &op, const QDateTime &now,
                                            int intervalloMinutes);
};
