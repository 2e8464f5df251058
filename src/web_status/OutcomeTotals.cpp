#include "web_status/OutcomeTotals.h"

#include "campaign/CampaignDb.h"
#include "core/TextFormats.h"

#include <QSqlRecord>
#include <QVariant>

void OutcomeTotals::fail(const QString &what, const QString &error)
{
    if (!m_failing && m_log)
        m_log(what + error);
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
                                  " WHERE len([Interno])=1 or len([Interno])=2"),
                   rows, error)) {
        fail(QStringLiteral("Contatori esiti non letti da CT_Monitor: "), error);
        return false;
    }
    m_failing = false;
    for (const QSqlRecord &r : std::as_const(rows)) {
        bool numberOk = false, valueOk = false;
        const int counter = r.value(1).toString().trimmed().toInt(&numberOk);
        const qint64 value = r.value(2).toString().trimmed().toLongLong(&valueOk);
        if (!numberOk || !valueOk || counter < 0 || counter >= kCounters || value < 0)
            continue;
        values[size_t(counter)] = QString::number(value);
    }
    return true;
}

bool OutcomeTotals::store(const Values &values, const Values &captions)
{
    if (!m_db.isOpen())
        return false;
    QString error;
    const bool ok = m_db.inTransaction(
        [&](QString &e) {
            for (int i = 1; i < kCounters; ++i) {
                const QString number = QString::number(i);
                qint64 present = 0;
                if (!m_db.scalar(QStringLiteral("SELECT count(*) FROM CT_Monitor where Interno=?"), present, e, {number}))
                    return false;
                if (present == 0
                    && m_db.execute(QStringLiteral("INSERT INTO CT_Monitor (Interno, ID_Agent, Descrizione, statolog, statoAction,"
                                                   " statoLinea, statoACD, gruppi, OraLogin, OraLogout)"
                                                   " VALUES (?, ?, ?, ?, '', '', '', '', '', '')"),
                                    e, {number, number, captions[size_t(i)], values[size_t(i)]})
                        < 0)
                    return false;
                if (m_db.execute(QStringLiteral("UPDATE CT_Monitor SET statolog=? WHERE Interno=?"), e,
                                 {values[size_t(i)], number})
                    < 0)
                    return false;
            }
            return true;
        },
        error);
    if (!ok) {
        fail(QStringLiteral("Contatori esiti non salvati in CT_Monitor: "), error);
        return false;
    }
    m_failing = false;
    return true;
}
