#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <random>

#include "wire/Status.h"

// RecEsito, the 136-byte body of an outcome (70002 "Esito", 71002 "Esito OP").
struct OutcomeRecord {
    static constexpr int TimeCall = 0, Code = 4, Spare8 = 8, Operator = 12, Campaign = 32, CallList = 52,
                         CustomerId = 72, Padding = 102, Progressive = 104, Az = 108, Spare112 = 112,
                         Spare116 = 116, Size = 136;
    static constexpr int TextWidth = 20, CustomerIdWidth = 30;

    qint32 timeCall = 0;
    qint32 code = 0;
    qint32 spare8 = 0;
    QString operatore;  // PulisciStringa
    QString campagna;   // PulisciStringa
    QString calllist;   // PulisciStringa
    QString customerId; // as on the wire, NULs included
    qint32 progressive = 0;
    qint32 az = 0;
    qint32 spare112 = 0;

    // Refuses a body shorter than 136 bytes.
    static wire::Status decode(const QByteArray &body, OutcomeRecord &out);
    QByteArray encode() const;

    // The two forms of the customer id.
    QString cleanedId() const;  // NULs to blanks, trimmed
    QString trimmedId() const;  // blanks trimmed, NULs removed

    // The record of the "prova esito" button.
    static OutcomeRecord test(const QDateTime &now, std::mt19937 &random);
};
