#pragma once

#include <QAbstractListModel>
#include <QStringList>

#include "core/Severity.h"

// One on-screen list of log lines. Windows show it through a list view; the
// headless front end prints each line as it is added. No password reaches a
// list: a connection string in a line shows "***" in its place.
class LogList : public QAbstractListModel {
    Q_OBJECT
public:
    static constexpr int kEmptyAt = 32000;
    static constexpr int kTrimCount = 50;

    explicit LogList(QString name, QObject *parent = nullptr);

    const QString &name() const { return m_name; }
    int count() const { return static_cast<int>(m_lines.size()); }
    const QStringList &lines() const { return m_lines; }
    QString line(int i) const { return m_lines.value(i); }

    // The selected line: the last one added, unless a user picked another.
    int selection() const { return m_selection; }
    void setSelection(int index);

    // Empties the list first when it already holds 32000 lines.
    void addEmptyingWhenFull(const QString &line, Severity severity = Severity::Info);
    // After adding: when the previous selection lies beyond `threshold`,
    // lines 1 to 50 go, the oldest line 0 stays.
    void addTrimming(const QString &line, int threshold, Severity severity = Severity::Info);
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

Q_SIGNALS:
    // `severity` is the writer's word on the line, for the journal.
    void lineAdded(const QString &line, Severity severity);
    void selectionChanged(int index);

private:
    void append(const QString &line, Severity severity);

    QString m_name;
    QStringList m_lines;
    int m_selection = -1;
};
