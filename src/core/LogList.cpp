#include "core/LogList.h"

#include "core/Redaction.h"

#include <algorithm>

LogList::LogList(QString name, QObject *parent) : QAbstractListModel(parent), m_name(std::move(name)) {}

void LogList::setSelection(int index)
{
    if (index == m_selection)
        return;
    m_selection = index;
    Q_EMIT selectionChanged(index);
}

void LogList::append(const QString &line, Severity severity)
{
    const QString shown = redaction::hidePasswords(line);
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    m_lines.append(shown);
    endInsertRows();
    Q_EMIT lineAdded(shown, severity);
}

void LogList::addEmptyingWhenFull(const QString &line, Severity severity)
{
    if (count() >= kEmptyAt)
        clear();
    append(line, severity);
    setSelection(count() - 1);
}

void LogList::addTrimming(const QString &line, int threshold, Severity severity)
{
    const int previous = m_selection;
    append(line, severity);
    if (previous > threshold) {
        const int removable = std::min(kTrimCount, count() - 1);
        if (removable > 0) {
            beginRemoveRows(QModelIndex(), 1, removable);
            m_lines.remove(1, removable);
            endRemoveRows();
        }
    }
    setSelection(count() - 1);
}

void LogList::clear()
{
    beginResetModel();
    m_lines.clear();
    endResetModel();
    setSelection(-1);
}

int LogList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant LogList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count() || role != Qt::DisplayRole)
        return {};
    return m_lines.at(index.row());
}
