#include "campaign/GroupsService.h"

#include "campaign/CampaignDb.h"
#include "core/Logger.h"
#include "core/RunClock.h"
#include "dialer_link/BodyBuffer.h"
#include "dialer_link/DialerReplies.h"

#include <QSqlQuery>
#include <QVariant>

void GroupsService::rispostaGruppi(const packet::RecordId &record)
{
    QSqlQuery q;
    QString error;
    if (!m_ctx.db.select(QStringLiteral("select  DISTINCT GRUPPO from GRUPPI_ESATTORE"), q, error)) {
        m_ctx.logDbError(error); // nothing is sent: the dialer asks again
        return;
    }
    QList<qint32> groups;
    while (q.next())
        groups.append(q.value(0).toInt());
    if (groups.size() > kMaxGroups) {
        m_ctx.log.scriviLog(QStringLiteral("TROPPI GRUPPI: inviati %1 su %2").arg(kMaxGroups).arg(groups.size()),
                            Logger::List1, QStringLiteral("TX"), record.id);
        groups.resize(kMaxGroups);
    }
    BodyBuffer body;
    body.appendiLong(static_cast<qint32>(groups.size()));
    for (qint32 g : groups) {
        m_ctx.log.scriviLog(QStringLiteral("Invio gruppo ") + QString::number(g), Logger::List1, QStringLiteral("TX"),
                            record.id);
        body.appendiLong(g);
    }
    m_replies.sendReply(packet::PacchettoGruppi, QStringLiteral("Invio Pacchetto gruppi"), record, body.body());
    if (!m_ctx.clock.countingStart.isValid()) {
        m_ctx.clock.countingStart = QDateTime::currentDateTime();
        if (m_ctx.settaCaption)
            m_ctx.settaCaption();
    }
}
