#pragma once

#include <QObject>
#include <QTime>
#include <array>
#include <functional>
#include <map>

#include "core/Severity.h"

class LogList;
class TextValue;

// The program's running record: the on-screen lists and the decoration of
// their lines. Every list line of the main window goes through here.
class Logger : public QObject {
    Q_OBJECT
public:
    enum Destination { List1 = 0, List2 = 1, Monitor = 2, MonitorAlt = 3, Lines = 5 };
    static constexpr int kList2Threshold = 1000;
    static constexpr int kList3Threshold = 100;

    // `level` is the diagnostic level text box, read at every use.
    explicit Logger(const TextValue &level, QObject *parent = nullptr);

    LogList &list1() { return *m_list1; }
    LogList &list2() { return *m_list2; }
    LogList &list3(int index) { return *m_list3.at(index); }

    // Lists that belong to other windows (destinations 2, 3 and 5); the
    // provider creates its window when it does not exist yet.
    using ListProvider = std::function<LogList *()>;
    void setDestination(int destination, ListProvider provider);

    // ScriviLog: decorates `message` in place when the level is above 0 and
    // adds it to the destination's list.
    // `severity` is for the journal: errors (a database failure, data
    // rejected), warnings (a link lost, a request refused), the rest.
    void scriviLog(QString &message, int destination, const QString &tag, qint32 packetId,
                   Severity severity = Severity::Info);
    void scriviLog(const QString &message, int destination, const QString &tag = QString(), qint32 packetId = 0,
                   Severity severity = Severity::Info);
    void scriviLog(const QString &message, int destination, Severity severity)
    {
        scriviLog(message, destination, QString(), 0, severity);
    }

    void aggiungiList2(const QString &message, Severity severity = Severity::Info);
    void addlist3(const QString &message, int index);

    double level() const;

    // Clock of the decorations; tests fix it.
    void setClock(std::function<QTime()> clock) { m_clock = std::move(clock); }
    QString timeStamp() const;
    QString timerValue() const;

    // "time | message", the line format of the trimmed lists.
    QString stampedLine(const QString &message) const;

private:
    LogList *listFor(int destination);

    const TextValue &m_level;
    LogList *m_list1;
    LogList *m_list2;
    std::array<LogList *, 2> m_list3;
    std::map<int, ListProvider> m_providers;
    std::function<QTime()> m_clock;
};
