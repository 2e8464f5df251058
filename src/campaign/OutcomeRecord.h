#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <random>

// RecEsito, the 136-byte outcome record:
//   0 TimeCall   4 code   8 (unused)   12 operator (20)   32 campaign (20)
//  52 call list (20)   72 customer id (30)   102 padding (2)
// 104 progressive   108 "az"   112 (unused)   116 (unused, 20)
struct OutcomeRecord {
    static constexpr int kSize = 136;

    qint32 timeCall = 0;
    qint32 code = 0;
    qint32 spare8 = 0;
    QString operatore;
    QString campagna;
    QString calllist;
    QString customerId; // as on the wire
    qint32 progressive = 0;
    qint32 az = 0;
    qint32 spare112 = 0;

    static OutcomeRecord decode(const QByteArray &body);
    QByteArray encode() const;

    // The three forms of the customer id.
    QString cleanedId() const;  // NULs to blanks, trimmed
    qint64 numericId() const;   // value of its leading digits
    QString trimmedId() const;  // blanks trimmed, NULs removed

    // The record of the "prova esito" button.
    static OutcomeRecord test(const QDateTime &now, std::mt19937 &random);
};
