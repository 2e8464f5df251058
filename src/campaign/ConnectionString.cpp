#include "campaign/ConnectionString.h"

#include "core/Redaction.h"

#include <QDir>
#include <QMap>
#include <QRegularExpression>
#include <QUrl>

namespace {

// Key=value pairs separated by ';', keys without case; a value in quotes
// may hold ';' itself.
QMap<QString, QString> pairs(const QString &text)
{
    QMap<QString, QString> out;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype eq = text.indexOf(QLatin1Char('='), i);
        if (eq < 0)
            break;
        const QString key = text.mid(i, eq - i).section(QLatin1Char(';'), -1).trimmed().toLower();
        qsizetype j = eq + 1;
        while (j < text.size() && text[j] == QLatin1Char(' '))
            ++j;
        QString value;
        if (j < text.size() && (text[j] == QLatin1Char('"') || text[j] == QLatin1Char('\''))) {
            const qsizetype close = text.indexOf(text[j], j + 1);
            value = text.mid(j + 1, (close < 0 ? text.size() : close) - j - 1);
            j = close < 0 ? text.size() : close + 1;
            const qsizetype semi = text.indexOf(QLatin1Char(';'), j);
            j = semi < 0 ? text.size() : semi + 1;
        } else {
            const qsizetype semi = text.indexOf(QLatin1Char(';'), j);
            value = text.mid(j, (semi < 0 ? text.size() : semi) - j).trimmed();
            j = semi < 0 ? text.size() : semi + 1;
        }
        if (!key.isEmpty())
            out.insert(key, value);
        i = j;
    }
    return out;
}

QString odbcValue(const QString &v)
{
    // Braces protect values with ';' or braces of their own.
    if (v.contains(QLatin1Char(';')) || v.contains(QLatin1Char('{')) || v.contains(QLatin1Char('}')))
        return QLatin1Char('{') + QString(v).replace(QStringLiteral("}"), QStringLiteral("}}")) + QLatin1Char('}');
    return v;
}

QString providerOf(const QMap<QString, QString> &kv)
{
    return kv.value(QStringLiteral("provider")).toLower();
}

// The first of `keys` present, so that every usual spelling is taken.
QString firstOf(const QMap<QString, QString> &kv, std::initializer_list<const char *> keys)
{
    for (const char *key : keys) {
        const auto it = kv.constFind(QString::fromLatin1(key));
        if (it != kv.constEnd())
            return it.value();
    }
    return {};
}

bool isPostgresProvider(const QString &provider)
{
    for (const char *name : {"postgresql", "postgres", "pgsql", "npgsql"}) {
        if (provider == QLatin1String(name))
            return true;
    }
    return false;
}

ConnectionParams postgres(const QString &host, const QString &port, const QString &database, const QString &user,
                        const QString &password)
{
    ConnectionParams out;
    bool ok = true;
    const int number = port.isEmpty() ? ConnectionParams::kDefaultPostgresPort : port.toInt(&ok);
    if (!ok || number <= 0 || number > 65535) {
        out.error = QStringLiteral("PostgreSQL port not valid: ") + port;
        return out;
    }
    if (database.isEmpty()) {
        out.error = QStringLiteral("PostgreSQL connection string without a database");
        return out;
    }
    out.kind = ConnectionParams::Kind::Postgres;
    out.host = host.isEmpty() ? QStringLiteral("localhost") : host;
    out.port = number;
    out.database = database;
    out.user = user;
    out.password = password;
    return out;
}

ConnectionParams postgresUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        ConnectionParams out;
        // The error quotes the URL, password included.
        out.error = QStringLiteral("PostgreSQL URL not valid: ") + redaction::hidePasswords(url.errorString());
        return out;
    }
    const int port = url.port();
    return postgres(url.host(), port < 0 ? QString() : QString::number(port), url.path(QUrl::FullyDecoded).mid(1),
                    url.userName(QUrl::FullyDecoded), url.password(QUrl::FullyDecoded));
}

} // namespace

QString ConnectionParams::withDriverLibrary(const QString &odbc, const std::function<QString(const QString &)> &libraryFor)
{
    // "Driver=" at the start or after a ';', its value plain or in braces.
    static const QRegularExpression driver(QStringLiteral("(^|;)\\s*driver\\s*=\\s*(\\{[^}]*\\}|[^;]*)"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = driver.match(odbc);
    if (!m.hasMatch())
        return odbc;
    QString name = m.captured(2).trimmed();
    if (name.startsWith(QLatin1Char('{')))
        name = name.mid(1, name.size() - 2);
    const QString library = libraryFor(name);
    if (library.isEmpty())
        return odbc;
    QString out = odbc;
    out.replace(m.capturedStart(2), m.capturedLength(2), odbcValue(library));
    return out;
}

QString ConnectionParams::acceptedForms()
{
    return QStringLiteral("Accepted forms: \"Provider=SQLite;Data Source=FILE\", an ODBC string with \"Driver=\" or "
                          "\"DSN=\", a SQL Server ADO string (Provider=SQLOLEDB, SQLNCLI or MSOLEDBSQL with Data "
                          "Source, Initial Catalog, User ID, Password or Integrated Security), "
                          "\"Provider=PostgreSQL;Host=HOST;Port=PORT;Database=DB;User Id=USER;Password=PW\" or "
                          "\"postgresql://USER:PW@HOST:PORT/DB\"");
}

ConnectionParams ConnectionParams::parse(const QString &connString, const QString &baseDir, const QString &sqlServerDriver)
{
    const QString trimmed = connString.trimmed();
    for (const char *scheme : {"postgresql://", "postgres://"}) {
        if (trimmed.startsWith(QLatin1String(scheme), Qt::CaseInsensitive))
            return postgresUrl(trimmed);
    }
    ConnectionParams out;
    const auto kv = pairs(connString);
    if (isPostgresProvider(providerOf(kv)))
        return postgres(firstOf(kv, {"host", "server", "data source", "hostname"}), firstOf(kv, {"port"}),
                        firstOf(kv, {"database", "initial catalog", "db", "dbname"}),
                        firstOf(kv, {"user id", "userid", "uid", "user", "username", "user name"}),
                        firstOf(kv, {"password", "pwd"}));
    const QString provider = providerOf(kv);
    if (provider == QStringLiteral("sqlite")) {
        const QString file = kv.value(QStringLiteral("data source"));
        if (file.isEmpty()) {
            out.error = QStringLiteral("SQLite connection string without \"Data Source\"");
            return out;
        }
        out.kind = Kind::Sqlite;
        out.database = QDir::isAbsolutePath(file) ? file : QDir(baseDir).filePath(file);
        return out;
    }
    if (kv.contains(QStringLiteral("driver")) || kv.contains(QStringLiteral("dsn"))) {
        out.kind = Kind::Odbc;
        out.database = connString;
        // Production ODBC is SQL Server; an SQLite ODBC driver speaks SQLite.
        out.sqlServer = !kv.value(QStringLiteral("driver")).contains(QStringLiteral("sqlite"), Qt::CaseInsensitive);
        return out;
    }
    if (provider.startsWith(QStringLiteral("sqloledb")) || provider.startsWith(QStringLiteral("sqlncli"))
        || provider.startsWith(QStringLiteral("msoledbsql"))) {
        QStringList odbc{QStringLiteral("Driver={") + sqlServerDriver + QLatin1Char('}')};
        const QString server = kv.value(QStringLiteral("data source"), kv.value(QStringLiteral("server")));
        odbc << QStringLiteral("Server=") + odbcValue(server);
        const QString catalog = kv.value(QStringLiteral("initial catalog"), kv.value(QStringLiteral("database")));
        if (!catalog.isEmpty())
            odbc << QStringLiteral("Database=") + odbcValue(catalog);
        const QString integrated = kv.value(QStringLiteral("integrated security")).toLower();
        if (integrated == QStringLiteral("sspi") || integrated == QStringLiteral("true") || integrated == QStringLiteral("yes")) {
            odbc << QStringLiteral("Trusted_Connection=yes");
        } else {
            odbc << QStringLiteral("Uid=") + odbcValue(kv.value(QStringLiteral("user id"), kv.value(QStringLiteral("uid"))));
            odbc << QStringLiteral("Pwd=") + odbcValue(kv.value(QStringLiteral("password"), kv.value(QStringLiteral("pwd"))));
        }
        // FreeTDS picks its protocol by itself, but 7.4 is the one every
        // SQL Server since 2012 speaks.
        if (sqlServerDriver.compare(kFreeTds, Qt::CaseInsensitive) == 0)
            odbc << QStringLiteral("TDS_Version=7.4");
        out.kind = Kind::Odbc;
        out.sqlServer = true;
        out.database = odbc.join(QLatin1Char(';'));
        return out;
    }
    out.error = QStringLiteral("Unrecognised connection string. ") + acceptedForms();
    return out;
}
