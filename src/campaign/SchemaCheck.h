#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class CampaignDb;

// The campaign database as the program's statements use it, checked before
// a first start ("--check-config"): nothing is written, statements are only
// prepared.
namespace schemacheck {

struct Table {
    QString name;        // as the statements write it, brackets included
    QStringList columns; // likewise
};

// The six tables and every column the built-in statements name.
const QList<Table> &tables();

// One line per table or column missing; empty when everything is there.
QStringList missing(const CampaignDb &db);

// Why `sql` (in SQL Server's dialect) cannot be prepared on the database,
// after the same translation the program's statements go through; empty
// when it can. Nothing runs.
QString prepare(const CampaignDb &db, const QString &sql);

} // namespace schemacheck
