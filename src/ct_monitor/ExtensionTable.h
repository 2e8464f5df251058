#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <array>

#include "ct_monitor/TelephonyFormat.h"

// TabInterni, TabGruppi and NomiGruppi: what the telephony server last said
// about each extension (101 to 300) and each agent group (1 to 300), with
// the per-state counters. Lives as long as the program; the window, the
// status pages and the watchdog read it.
class ExtensionTable : public QObject {
    Q_OBJECT
public:
    static constexpr int kFirst = 101;
    static constexpr int kLast = 300;
    static constexpr int kRows = kLast - kFirst + 1;
    static constexpr int kGroups = 300;
    static constexpr int kCounters = 10;
    static constexpr qint32 kMaxGroupCount = 1000000;

    // Columns of an extension's row.
    enum Column : int {
        Display = 0, LogState = 1, ActionState = 2, LineState = 3, AcdState = 4, GroupText = 5, LoginTime = 6,
        Agent = 7, Description = 8, LogoutTime = 9, CallCounter = 10, ColumnCount = 11
    };
    using Row = std::array<QString, ColumnCount>;

    // Columns of a group's row that are used.
    struct Group {
        qint32 logged = 0;
        qint32 free = 0;
        qint32 third = 0;
        QString name;
    };

    // The per-state counters: 0 logged, 1 logged and free, 2 busy, 3 paused,
    // 4 idle, 5 in use, 6 talking, 7 handshaking, 8 working, 9 not used.
    using Counters = std::array<int, kCounters>;

    explicit ExtensionTable(QObject *parent = nullptr);

    static bool hasRow(int extension) { return extension >= kFirst && extension <= kLast; }
    const Row &row(int extension) const;
    const Group &group(int number) const;
    const Counters &counters() const { return m_counters; }
    int groupsWithLogged() const { return m_groupsWithLogged; }
    int totalLogged() const { return m_totalLogged; }
    int totalFree() const { return m_totalFree; }

    // LavoraDatiMonitor for one extension record. False when it is skipped
    // (its extension text outside 100..399, or no row for its number).
    bool applyExtension(const telephony::ExtensionRecord &r, const QDateTime &now);
    // One group record; false when its number is outside 1..300.
    bool applyGroup(const telephony::GroupRecord &r);
    // A row as read back from CT_Monitor (DumpDaDb): columns 1 to 9.
    void applyStored(int extension, const Row &stored, const QDateTime &now);
    // Columns a user action changes (logout from the database, call counter).
    void setCells(int extension, const QList<std::pair<Column, QString>> &cells);

    // RicavaGruppi: " Gruppo/i " and "[[g] name]" for each group named.
    QString groupText(const QList<int> &groups) const;
    // The display text of a row (column 0).
    static QString displayText(const Row &r, const QDateTime &now);

    // AggiornaGrigliaGruppi: recount the counters and the group totals.
    void recount();

Q_SIGNALS:
    void extensionChanged(int extension);
    void groupsChanged();
    void countersChanged();

private:
    std::array<Row, kRows> m_rows;
    std::array<Group, kGroups> m_groups;
    Counters m_counters{};
    int m_groupsWithLogged = 0;
    int m_totalLogged = 0;
    int m_totalFree = 0;
};
