#pragma once

#include <QDate>
#include <QString>

// Builds a new campaign database with the program's six tables and
// deterministic demo data: groups and collectors, customers with Italian
// names and phones, collectors' passwords, schedule rows.
namespace demodatabase {

struct Options {
    Options() = default;
    Options(int customers_, quint32 seed_, QDate today_ = {}) : customers(customers_), seed(seed_), today(today_) {}

    int customers = 5000;
    quint32 seed = 190;
    QDate today; // the day the dates are counted from; invalid: the current date
};

// `target` is an SQLite file or a connection string (SQLite or PostgreSQL,
// whose database must exist and hold no campaign tables yet). False with
// `error` set; an existing file or existing tables are never touched.
bool create(const QString &target, const Options &options, QString &error);

} // namespace demodatabase
