#include "web_status/OutcomeTotals.h"

#include "campaign/CampaignDb.h"
#include "core/Logger.h"
#include "core/TextFormats.h"

#include <QSqlRecord>
#include <QVariant>

void OutcomeTotals::fail(const QString &what, const QString &error)
{
    if (!m_failing)
        m_log.aggiungiList2(what + error);
    m_failing = true;
}

bool OutcomeTotals::load(Values &values)
{
    if (!m_db.isOpen())
        return false;
    // The values are read as text and judged here, so that one row that is
    // not a number is skipped instead of failing the whole query.
    QList<QSqlRecord> rows;
    QString error;
    if (!m_db.rows(QStringLiteral("SELECT descrizione,Interno,statolog FROM CT_Monitor "
                                  " WHERE len([Interno])=1 or len([Interno])=2 order by Interno"),
                   rows, error)) {
        fail(QStringLiteral("Contatori esiti non letti da CT_Monitor: "), error);
        return false;
    }
    m_failing = false;
    for (const QSqlRecord &r : std::as_const(rows)) {
        bool numberOk = false, valueOk = false;
        const QString interno = r.value(1).toString().trimmed();
        const int counter = interno.toInt(&numberOk);
        const qint64 value = r.value(2).toString().trimmed().toLongLong(&valueOk);
        // Only the rows the program writes: "1", never "01" or " 1".
        if (!numberOk || interno != QString::number(counter) || !valueOk || counter < 0 || counter >= kCounters || value < 0)
            continue;
        values[size_t(counter)] = value;
    }
    return true;
}

bool OutcomeTotals::store(const Values &values, const Captions &captions)
{
    if (!m_db.isOpen())
        return false;
    const auto one = [&](int i, QString &e) {
        const QString number = QString::number(i);
        qint64 present = 0;
        if (!m_db.scalar(QStringLiteral("SELECT count(*) FROM CT_Monitor where Interno=?"), present, e, {number}))
            return false;
        if (present == 0)
            return m_db.execute(QStringLiteral("INSERT INTO CT_Monitor (Interno, ID_Agent, Descrizione, statolog, statoAction,"
                                               " statoLinea, statoACD, gruppi, OraLogin, OraLogout)"
                                               " VALUES (?, ?, ?, ?, '', '', '', '', '', '')"),
                                e, {number, number, captions[size_t(i)], QString::number(values[size_t(i)])})
                >= 0;
        return m_db.execute(QStringLiteral("UPDATE CT_Monitor SET statolog=? WHERE Interno=?"), e,
                            {QString::number(values[size_t(i)]), number})
            >= 0;
    };
    QString error;
    const bool all = m_db.inTransaction(
        [&](QString &e) {
            for (int i = 1; i < kCounters; ++i) {
                if (!one(i, e))
                    return false;
            }
            return true;
        },
        error);
    if (all) {
        m_failing = false;
        return true;
    }
    // One counter that cannot be written must not hold back the others.
    bool any = false;
    for (int i = 1; i < kCounters; ++i) {
        QString e;
        any = m_db.inTransaction([&](QString &inner) { return one(i, inner); }, e) || any;
    }
    fail(QStringLiteral("Contatori esiti non salvati in CT_Monitor: "), error);
    return any;
}
