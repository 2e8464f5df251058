#pragma once

#include <QFile>
#include <QHash>
#include <QString>

// The customers a dialer holds: received and not yet given back by their
// outcome, a queue release or a refusal. Each change is a line of a file,
// timed by the machine's monotonic clock, which every process reads alike:
//   R <ns> <customer>   received
//   C <ns> <customer>   given back
// The files of several dialers served by several programs on one database,
// merged in time order, show a customer handed to one dialer while another
// held it. A release is written when it is sent, before the program acts
// on it: a customer freed by it and handed on is never taken for one held.
class HoldJournal {
public:
    // False when the file cannot be written; without a path nothing is kept.
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }

    // Through a group request (`op` empty) or an operator request.
    void received(qint64 customer, qint32 group, const QString &op);
    void givenBack(qint64 customer);
    void groupReleased(qint32 group);
    void operatorReleased(const QString &op);

private:
    struct Hold {
        qint32 group = 0;
        QString op;
    };
    void write(char event, qint64 customer);

    QHash<qint64, Hold> m_held;
    QFile m_file;
};
