#pragma once

#include <QString>

// Builds a new SQLite campaign database with the program's six tables and
// deterministic demo data: groups and collectors, customers with Italian
// names and phones, collectors' passwords, schedule rows.
namespace demodatabase {

struct Options {
    int customers = 5000;
    quint32 seed = 190;
};

// False with `error` set; an existing file is never touched.
bool create(const QString &path, const Options &options, QString &error);

} // namespace demodatabase
