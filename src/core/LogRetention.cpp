#include "core/LogRetention.h"

#include <QDir>
#include <QRegularExpression>

namespace logretention {
namespace {
const QString kFormat = QStringLiteral("dd-MM-yyyy");
} // namespace

QString dailyLogName(const QDate &day)
{
    return day.toString(kFormat) + QStringLiteral(".LOG");
}

QDate dayOf(const QString &fileName)
{
    // Windows matches names without regard to case: so does this.
    static const QRegularExpression name(QStringLiteral("^(\\d\\d-\\d\\d-\\d{4})\\.LOG(\\.1)?$"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = name.match(fileName);
    return m.hasMatch() ? QDate::fromString(m.captured(1), kFormat) : QDate();
}

QStringList purge(const QString &dir, const QDate &today, int days)
{
    QStringList deleted;
    const QDate oldestKept = today.addDays(-qint64(days));
    const QDir folder(dir);
    const QStringList names = folder.entryList({QStringLiteral("*.LOG"), QStringLiteral("*.LOG.1")}, QDir::Files);
    for (const QString &name : names) {
        const QDate day = dayOf(name);
        if (day.isValid() && day < oldestKept && QFile::remove(folder.filePath(name)))
            deleted << name;
    }
    return deleted;
}

} // namespace logretention
