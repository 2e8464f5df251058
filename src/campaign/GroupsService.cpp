#include "campaign/GroupsService.h"

#include "campaign/CampaignDb.h"
#include "core/Logger.h"
#include "core/RunClock.h"
#include "dialer_link/DialerBodies.h"
#include "dialer_link/DialerReplies.h"

#include <QSqlQuery>
#include <QVariant>

void GroupsService::rispostaGruppi(const packet::RecordId &record)
{
    QSqlQuery q;
    QString error;
    if (!m_ctx.db.select(QStringLiteral("select  DISTINCT GRUPPO from GRUPPI_ESATTORE ORDER BY GRUPPO"), q, error)) {
        m_ctx.logDbError(error); // nothing is sent: the dialer asks again
        return;
    }
    QList<qint32> groups;
    while (q.next())
        groups.append(q.value(0).toInt());
    if (groups.size() > kMaxGroups) {
        m_ctx.log.scriviLog(QStringLiteral("TROPPI GRUPPI: inviati ") + QString::number(kMaxGroups) + QStringLiteral(" su ")
                                + QString::number(groups.size()),
                            Logger::List1, QStringLiteral("TX"), record.id, Severity::Warning);
        groups.resize(kMaxGroups);
    }
    for (qint32 g : std::as_const(groups))
        m_ctx.log.scriviLog(QStringLiteral("Invio gruppo ") + QString::number(g), Logger::List1, QStringLiteral("TX"),
                            record.id);
    m_replies.sendReply(packet::PacchettoGruppi, QStringLiteral("Invio Pacchetto gruppi"), record,
                        dialerbody::encode(dialerbody::GroupList{groups}));
    if (!m_ctx.clock.countingStart.isValid()) {
        m_ctx.clock.startCounting(m_ctx.now());
    }
}
