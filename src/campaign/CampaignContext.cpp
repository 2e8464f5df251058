#include "campaign/CampaignContext.h"

#include "core/Logger.h"
#include "core/MainModel.h"

void CampaignContext::logDbError(const QString &error) const
{
    log.scriviLog(QStringLiteral("ERRORE DB: ") + error, Logger::List1, Severity::Error);
    model.metrics.countDatabaseError();
}

double CampaignContext::level() const
{
    return log.level();
}
