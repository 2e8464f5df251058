#include "core/ConfigFiles.h"

#include "core/Settings.h"

namespace configfiles {
namespace {
constexpr int kProblemCountEntry = 6;
}

QStringList captions()
{
    return {QStringLiteral("Conn_quorin.ini"),
            QStringLiteral("Conn_DB_Tm40"),
            QStringLiteral("SQL_EXT.TXT"),
            QStringLiteral("SQL_OP_EXT.TXT"),
            QStringLiteral("SQL_CONTA_EXT.TXT"),
            QStringLiteral("SQL_AUTO_EXT.TXT"),
            QStringLiteral("SQL_CONTAPROB.TXT"),
            QStringLiteral("SQL_LIBERAGRUPPO_EXT.TXT"),
            QStringLiteral("SQL_LIBERAOPERATORE_EXT.TXT"),
            QStringLiteral("SQL_RIEP_EXT.TXT")};
}

QString path(const FileLocations &files, int index)
{
    const QStringList names = captions();
    if (index < 0 || index >= names.size())
        return QString();
    if (index == kSharedDbEntry)
        return files.sharedDbFile();
    // The problem-count entry edits the template the program actually reads.
    if (index == kProblemCountEntry)
        return files.appFile(QStringLiteral("SQL_CONTAPROB_EXT.TXT"));
    return files.appFile(names[index]);
}

} // namespace configfiles
