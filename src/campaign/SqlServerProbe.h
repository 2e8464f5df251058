#pragma once

#include <QString>

// Why a SQL Server could not be reached, in plain words: ODBC drivers say
// "unavailable or does not exist" alike for a refused connection, a host
// that does not answer and one that does not exist. Asked once, when the
// database cannot be opened; the wait is bounded by `timeoutMs`.
namespace sqlserverprobe {

struct Endpoint {
    QString host;
    int port = 0; // 0: a named instance, found through the SQL Server Browser
};

// The server an ODBC string names ("Server=host", "host,port", "tcp:host",
// "host\instance", "Port=n"; "Data Source" and "Address" too).
Endpoint endpointOf(const QString &odbc);

// "connessione rifiutata da host:port", "host sconosciuto: host", "nessuna
// risposta da host:port entro n s"; empty when it answers (the driver's
// own text then says why: login, database) or there is nothing to try.
QString explain(const Endpoint &server, int timeoutMs);

} // namespace sqlserverprobe
