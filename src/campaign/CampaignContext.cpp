#include "campaign/CampaignContext.h"

#include "core/Logger.h"

void CampaignContext::logDbError(const QString &error) const
{
    log.scriviLog(QStringLiteral("ERRORE DB: ") + error, Logger::List1);
}

double CampaignContext::level() const
{
    return log.level();
}
