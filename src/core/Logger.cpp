#include "core/Logger.h"

#include "core/LogList.h"
#include "core/ObservableValue.h"
#include "core/TextFormats.h"

Logger::Logger(const TextValue &level, QObject *parent)
    : QObject(parent),
      m_level(level),
      m_list1(new LogList(QStringLiteral("List1"), this)),
      m_list2(new LogList(QStringLiteral("List2"), this)),
      m_list3{new LogList(QStringLiteral("List3(0)"), this), new LogList(QStringLiteral("List3(1)"), this)},
      m_clock([] { return QTime::currentTime(); })
{
}

void Logger::setDestination(int destination, ListProvider provider)
{
    m_providers[destination] = std::move(provider);
}

double Logger::level() const
{
    return textformats::leadingNumber(m_level.text());
}

QString Logger::timeStamp() const
{
    return textformats::time(m_clock());
}

QString Logger::timerValue() const
{
    // Seconds since midnight at single precision, to the hundredth, as the
    // original's timer function reports them.
    const float seconds = static_cast<float>(m_clock().msecsSinceStartOfDay() / 10) / 100.0f;
    return QString::number(static_cast<double>(seconds), 'g', 7);
}

QString Logger::stampedLine(const QString &message) const
{
    return timeStamp() + QStringLiteral(" | ") + message;
}

LogList *Logger::listFor(int destination)
{
    switch (destination) {
    case List1:
        return m_list1;
    case List2:
        return m_list2;
    default:
        break;
    }
    const auto it = m_providers.find(destination);
    return it == m_providers.end() ? nullptr : it->second();
}

void Logger::scriviLog(QString &message, int destination, const QString &tag, qint32 packetId, Severity severity)
{
    if (level() > 0) {
        if (tag.isEmpty())
            message = timerValue() + QStringLiteral(")(") + message;
        else
            message = timerValue() + QStringLiteral(") (") + tag + QStringLiteral(") ") + QString::number(packetId)
                + QStringLiteral(" (") + message;
    }
    if (LogList *list = listFor(destination))
        list->addEmptyingWhenFull(message, severity);
}

void Logger::scriviLog(const QString &message, int destination, const QString &tag, qint32 packetId, Severity severity)
{
    QString copy = message;
    scriviLog(copy, destination, tag, packetId, severity);
}

void Logger::aggiungiList2(const QString &message, Severity severity)
{
    m_list2->addTrimming(stampedLine(message), kList2Threshold, severity);
}

void Logger::addlist3(const QString &message, int index)
{
    if (index < 0 || index >= static_cast<int>(m_list3.size()))
        return;
    m_list3[index]->addTrimming(stampedLine(message), kList3Threshold);
}
