#include "campaign/DemoDatabase.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <array>
#include <random>

namespace demodatabase {
namespace {

const char *const kSchema[] = {
    "CREATE TABLE [tabella pratiche] ("
    " contatore INTEGER PRIMARY KEY, [codice esattore] TEXT, Nome TEXT, Cognome TEXT, [ragione sociale] TEXT,"
    " Telefono1 TEXT, telefono2 TEXT, [tel recapito] TEXT, FlagQuorin INTEGER, UltimoEsitoQuorin INTEGER,"
    " [scadenza mandato] TEXT, datarichiamo TEXT, [IMPORTO TOTALE] REAL, [tipo mandato] TEXT,"
    " Tot_Abbattuto_Quorin INTEGER, Tot_Esiti_Quorin INTEGER, memo TEXT)",
    // Partial indexes follow the dispatch state: a customer sent or given
    // back touches few of their pages, so a commit writes few pages.
    // The customers still to send, in the default ORDER BY, with the
    // collector for the join: a group's first n are read in order.
    "CREATE INDEX pratiche_da_inviare ON [tabella pratiche]"
    "([Nome] DESC, [Cognome], datarichiamo, [scadenza mandato], [IMPORTO TOTALE] DESC, [codice esattore])"
    " WHERE (Telefono1 is not null) AND (Telefono1<>'') AND (FlagQuorin=0 or FlagQuorin is null)",
    // The same customers by collector and recall time: the operator's window.
    "CREATE INDEX pratiche_richiami_da_inviare ON [tabella pratiche]([codice esattore], datarichiamo)"
    " WHERE (Telefono1 is not null) AND (Telefono1<>'') AND (FlagQuorin=0 or FlagQuorin is null)",
    // The customers in the dialer's queue: releases and the queue counter.
    "CREATE INDEX pratiche_inviati ON [tabella pratiche]([codice esattore]) WHERE FlagQuorin=1",
    "CREATE INDEX pratiche_richiamo ON [tabella pratiche](datarichiamo)",
    // Untouched by the dispatch state: a template that starts from the collector.
    "CREATE INDEX pratiche_esattore ON [tabella pratiche]([codice esattore])",
    "CREATE TABLE GRUPPI_ESATTORE (GRUPPO INTEGER NOT NULL, CODESATTORE TEXT NOT NULL,"
    " PRIMARY KEY (GRUPPO, CODESATTORE))",
    "CREATE INDEX gruppi_by_esattore ON GRUPPI_ESATTORE(CODESATTORE)",
    "CREATE TABLE Esiti_Quorin (ID_Esito INTEGER PRIMARY KEY AUTOINCREMENT, id_contatore INTEGER, data TEXT,"
    " TimeCall INTEGER, Esito INTEGER, Operatore TEXT, campagna TEXT, calllist TEXT, Prog_Quorin INTEGER)",
    "CREATE INDEX esiti_contatore ON Esiti_Quorin(id_contatore, Esito)",
    "CREATE INDEX esiti_data ON Esiti_Quorin(data)",
    "CREATE TABLE PLA (CODSCH TEXT PRIMARY KEY, DATPLA TEXT, ORAPLA TEXT)",
    // Sized as an installation's: the ACD state is cut to fit.
    "CREATE TABLE CT_Monitor (Interno VARCHAR(10) PRIMARY KEY, ID_Agent VARCHAR(13), Descrizione VARCHAR(33),"
    " statolog VARCHAR(23), statoAction VARCHAR(23), statoLinea VARCHAR(23), statoACD VARCHAR(20),"
    " gruppi VARCHAR(255), OraLogin VARCHAR(8), OraLogout VARCHAR(8))",
    "CREATE TABLE esattori ([cod_agent] TEXT PRIMARY KEY, pw TEXT)",
};

const std::array<const char *, 24> kNomi = {"Mario", "Luca", "Giulia", "Francesca", "Marco", "Anna", "Giuseppe",
                                            "Chiara", "Alessandro", "Sara", "Paolo", "Elena", "Andrea", "Laura",
                                            "Stefano", "Valentina", "Roberto", "Silvia", "Davide", "Federica",
                                            "Matteo", "Martina", "Niccolò", "Lucia"};
const std::array<const char *, 24> kCognomi = {"Rossi", "Russo", "Ferrari", "Esposito", "Bianchi", "Romano",
                                               "Colombo", "Ricci", "Marino", "Greco", "Bruno", "Gallo", "Conti",
                                               "De Luca", "Mancini", "Costa", "Giordano", "Rizzo", "Lombardi",
                                               "Moretti", "Barbieri", "Fontana", "Santoro", "D'Angelo"};
const std::array<const char *, 4> kMandati = {"ORDINARIO", "LEGALE", "STRAGIUDIZIALE", "RECUPERO"};
constexpr int kGroups = 6;
constexpr int kCollectors = 12;

// Collector codes 140 to 151: the built-in dialer asks for operator "140".
QString collectorCode(int c)
{
    return QString::number(139 + c);
}

class Builder {
public:
    Builder(QSqlDatabase db, quint32 seed) : m_db(std::move(db)), m_random(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(int percent) { return pick(100) < percent; }
    QString digits(int n)
    {
        QString s;
        for (int i = 0; i < n; ++i)
            s += QChar(u'0' + pick(10));
        return s;
    }
    QString mobile() { return QStringLiteral("3") + QString::number(20 + pick(80)) + digits(7); }
    QString landline() { return QStringLiteral("0") + QString::number(2 + pick(98)) + digits(6); }

    bool exec(const QString &sql, QString &error)
    {
        QSqlQuery q(m_db);
        if (q.exec(sql))
            return true;
        error = q.lastError().text() + QStringLiteral(": ") + sql;
        return false;
    }

    bool collectors(QString &error)
    {
        QSqlQuery g(m_db), e(m_db);
        g.prepare(QStringLiteral("INSERT INTO GRUPPI_ESATTORE (GRUPPO, CODESATTORE) VALUES (?, ?)"));
        e.prepare(QStringLiteral("INSERT INTO esattori ([cod_agent], pw) VALUES (?, ?)"));
        for (int c = 1; c <= kCollectors; ++c) {
            const QString code = collectorCode(c);
            // Every collector is in one group, some in two; the last one in none.
            QList<int> groups;
            if (c < kCollectors)
                groups << 1 + (c - 1) % kGroups;
            if (c % 4 == 0)
                groups << 1 + c % kGroups;
            for (int group : groups) {
                g.addBindValue(group);
                g.addBindValue(code);
                if (!g.exec()) {
                    error = g.lastError().text();
                    return false;
                }
            }
            e.addBindValue(code);
            e.addBindValue(QStringLiteral("pw") + digits(4));
            if (!e.exec()) {
                error = e.lastError().text();
                return false;
            }
        }
        return true;
    }

    bool customers(int count, QString &error)
    {
        QSqlQuery q(m_db);
        q.prepare(QStringLiteral(
            "INSERT INTO [tabella pratiche] (contatore, [codice esattore], Nome, Cognome, [ragione sociale], Telefono1,"
            " telefono2, [tel recapito], FlagQuorin, UltimoEsitoQuorin, [scadenza mandato], datarichiamo,"
            " [IMPORTO TOTALE], [tipo mandato], Tot_Abbattuto_Quorin, Tot_Esiti_Quorin, memo)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        QSqlQuery pla(m_db);
        pla.prepare(QStringLiteral("INSERT INTO PLA (CODSCH, DATPLA, ORAPLA) VALUES (?, ?, ?)"));
        const QDateTime today(QDate::currentDate(), QTime(0, 0));
        const QString format = QStringLiteral("yyyy-MM-dd HH:mm:ss");
        for (int i = 0; i < count; ++i) {
            const int id = 100001 + i;
            const QString nome = QString::fromUtf8(kNomi[pick(int(kNomi.size()))]);
            const QString cognome = QString::fromUtf8(kCognomi[pick(int(kCognomi.size()))]);
            const QVariant none;
            const QVariant phone1 = chance(3) ? (chance(50) ? none : QVariant(QString())) : QVariant(mobile());
            const QVariant phone2 = chance(30) ? none : (chance(15) ? QVariant(digits(2)) : QVariant(landline()));
            const QVariant contact = chance(50) ? none : QVariant(chance(20) ? digits(3) : mobile());
            const QDateTime expiry = today.addDays(pick(400) - 40); // one in ten already expired
            const QVariant recall = chance(60) ? none
                                               : QVariant(today.addDays(pick(3) - 1).addSecs(8 * 3600 + pick(11 * 3600)).toString(format));
            const QVariantList values = {id,
                                         collectorCode(1 + pick(kCollectors)),
                                         nome,
                                         cognome,
                                         cognome.toUpper() + QLatin1Char(' ') + nome.toUpper(),
                                         phone1,
                                         phone2,
                                         contact,
                                         chance(90) ? QVariant(0) : none,
                                         none,
                                         expiry.toString(format),
                                         recall,
                                         double(50 + pick(2000000)) / 100.0,
                                         QString::fromLatin1(kMandati[pick(int(kMandati.size()))]),
                                         chance(80) ? none : QVariant(pick(3)),
                                         none,
                                         none};
            for (const QVariant &v : values)
                q.addBindValue(v);
            if (!q.exec()) {
                error = q.lastError().text();
                return false;
            }
            if (chance(20)) {
                const QDateTime at = today.addDays(pick(10)).addSecs(9 * 3600 + pick(9 * 3600));
                pla.addBindValue(QString::number(id));
                pla.addBindValue(at.toString(QStringLiteral("dd/MM/yyyy")));
                pla.addBindValue(at.toString(QStringLiteral("HH:mm")));
                if (!pla.exec()) {
                    error = pla.lastError().text();
                    return false;
                }
            }
        }
        return true;
    }

private:
    QSqlDatabase m_db;
    std::mt19937 m_random;
};

bool build(QSqlDatabase db, const Options &options, QString &error)
{
    Builder b(db, options.seed);
    if (!db.transaction()) {
        error = db.lastError().text();
        return false;
    }
    for (const char *statement : kSchema) {
        if (!b.exec(QString::fromLatin1(statement), error))
            return false;
    }
    if (!b.collectors(error) || !b.customers(options.customers, error))
        return false;
    if (!db.commit()) {
        error = db.lastError().text();
        return false;
    }
    // The planner's statistics, and the journal every run will use.
    return b.exec(QStringLiteral("ANALYZE"), error) && b.exec(QStringLiteral("PRAGMA journal_mode=WAL"), error);
}

} // namespace

bool create(const QString &path, const Options &options, QString &error)
{
    if (QFileInfo::exists(path)) {
        error = QStringLiteral("file already exists: ") + path;
        return false;
    }
    if (options.customers < 0) {
        error = QStringLiteral("the number of customers cannot be negative");
        return false;
    }
    const QString name = QStringLiteral("demo-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            error = db.lastError().text();
        else
            ok = build(db, options, error);
        if (!ok && db.isOpen())
            db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!ok)
        QFile::remove(path);
    return ok;
}

} // namespace demodatabase
