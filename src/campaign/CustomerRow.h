#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSqlRecord>
#include <QString>
#include <QVariant>

#include "dialer_link/DialerBodies.h"

// A customer row of [tabella pratiche] as the services read it, and the
// customer record (RecCliente) made of it.
namespace customerrow {

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
dialerbody::CustomerRecord build(const QSqlRecord &row, qint32 group, int position, const Phone &phone, Reply reply,
                                 const QDateTime &today);

} // namespace customerrow
