#include "campaign/PostgresDialect.h"

namespace postgresdialect {

sqldialect::Result rewrite(const QString &sqlServer)
{
    // The session runs in the program's time zone (CampaignDb sets it), so
    // LOCALTIMESTAMP is the program's own clock, as GETDATE() is the server's.
    static const sqldialect::Target postgres{QStringLiteral("LOCALTIMESTAMP"), QStringLiteral("ctid"), true, true};
    return sqldialect::rewrite(sqlServer, postgres);
}

} // namespace postgresdialect
