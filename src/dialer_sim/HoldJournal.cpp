#include "dialer_sim/HoldJournal.h"

#include <QDeadlineTimer>

bool HoldJournal::open(const QString &path)
{
    if (path.isEmpty())
        return true;
    m_file.setFileName(path);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void HoldJournal::write(char event, qint64 customer)
{
    const qint64 ns = QDeadlineTimer::current(Qt::PreciseTimer).deadlineNSecs();
    m_file.write(QByteArray(1, event) + ' ' + QByteArray::number(ns) + ' ' + QByteArray::number(customer) + '\n');
}

void HoldJournal::received(qint64 customer, qint32 group, const QString &op)
{
    if (!isOpen())
        return;
    m_held.insert(customer, {group, op});
    write('R', customer);
}

void HoldJournal::givenBack(qint64 customer)
{
    if (isOpen() && m_held.remove(customer))
        write('C', customer);
}

void HoldJournal::groupReleased(qint32 group)
{
    for (auto it = m_held.begin(); isOpen() && it != m_held.end();) {
        if (it->op.isEmpty() && it->group == group) {
            write('C', it.key());
            it = m_held.erase(it);
        } else {
            ++it;
        }
    }
}

void HoldJournal::operatorReleased(const QString &op)
{
    for (auto it = m_held.begin(); isOpen() && it != m_held.end();) {
        if (!it->op.isEmpty() && it->op == op) {
            write('C', it.key());
            it = m_held.erase(it);
        } else {
            ++it;
        }
    }
}
