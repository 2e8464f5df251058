#pragma once

#include <QString>

// What the "connstring" setting asks for:
//   Provider=SQLite;Data Source=PATH          an embedded SQLite file
//   …Driver=…  or  …DSN=…                      ODBC, passed as it is
//   Provider=SQLOLEDB|SQLNCLI…|MSOLEDBSQL…;…   SQL Server through its ODBC driver
struct ConnectionSpec {
    enum class Kind { Invalid, Sqlite, Odbc };
    Kind kind = Kind::Invalid;
    bool sqlServer = false; // the production dialect: statements go unchanged
    QString database;       // SQLite file, or the ODBC connection string
    QString error;

    static inline const QString kDefaultSqlServerDriver = QStringLiteral("ODBC Driver 17 for SQL Server");

    // `baseDir` anchors a relative SQLite path; `sqlServerDriver` names the
    // ODBC driver for ADO strings.
    static ConnectionSpec parse(const QString &connString, const QString &baseDir,
                                const QString &sqlServerDriver = kDefaultSqlServerDriver);
    static QString acceptedForms();
};
