#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

// RecCliente, the 296-byte customer record of the customer replies and of
// the discards:
//   0 group (int32)          4 kind (int32)         8 Tot_Abbattuto_Quorin (int32)
//  12 position + 3 (int32)  16 tipo mandato (20)   36 phone (20)
//  56 contatore (30)        86 phone (20)         106 ragione sociale (180)
// 286 NUL NUL              288 recall "HHMM" or NULs (4)   292 UltimoEsitoQuorin (int32)
namespace customerrecord {

inline constexpr int kSize = 296;

// Field reads as the services make them: a Null number reads 0, a Null text
// reads empty.
qint64 number(const QSqlRecord &row, const char *field);
QString text(const QSqlRecord &row, const char *field);
// A date-time column as stored (a date-time value or its text), invalid for Null.
QDateTime dateTime(const QSqlRecord &row, const char *field);

// PrendiUnTelefono: the phone to send and its kind ("t1", "t2", "tr").
struct Phone {
    QString number;
    QString kind;
};
Phone choosePhone(const QSqlRecord &row);

enum class Reply { Group, Operator };

// The record of `row` at `position` (1-based) of its packet. `today` is the
// midnight that tells an overdue recall in an operator reply.
QByteArray build(const QSqlRecord &row, qint32 group, int position, const Phone &phone, Reply reply,
                 const QDateTime &today);

} // namespace customerrecord
