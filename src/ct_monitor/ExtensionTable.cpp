#include "ct_monitor/ExtensionTable.h"

#include <limits>

#include "core/TextFormats.h"

namespace {
const ExtensionTable::Row kEmptyRow{};
const ExtensionTable::Group kEmptyGroup{};

bool logged(const QString &logState)
{
    return !logState.isEmpty() && logState != QStringLiteral("LOGGED_OUT");
}
} // namespace

ExtensionTable::ExtensionTable(QObject *parent) : QObject(parent) {}

const ExtensionTable::Row &ExtensionTable::row(int extension) const
{
    return hasRow(extension) ? m_rows[extension - kFirst] : kEmptyRow;
}

const ExtensionTable::Group &ExtensionTable::group(int number) const
{
    return number >= 1 && number <= kGroups ? m_groups[number - 1] : kEmptyGroup;
}

QString ExtensionTable::groupText(const QList<int> &groups) const
{
    QString pieces;
    for (int g : groups) {
        if (g > 0)
            pieces += QStringLiteral("[[") + QString::number(g) + QStringLiteral("] ") + group(g).name + QLatin1Char(']');
    }
    return pieces.isEmpty() ? QString() : QStringLiteral(" Gruppo/i ") + pieces;
}

QString ExtensionTable::displayText(const Row &r, const QDateTime &now)
{
    QString text = QStringLiteral("(") + r[Agent] + QStringLiteral(") ") + r[Description];
    for (Column c : {LogState, ActionState, LineState, AcdState})
        text += QStringLiteral(" (") + r[c] + QLatin1Char(')');
    if (textformats::leadingNumber(r[LoginTime]) != 0)
        text += QStringLiteral(" (login alle ") + r[LoginTime] + QLatin1Char(')');
    if (!r[GroupText].isEmpty())
        text = r[GroupText] + QLatin1Char('|') + text;
    return text + QStringLiteral(" agg.alle ") + textformats::time(now.time());
}

bool ExtensionTable::applyExtension(const telephony::ExtensionRecord &r, const QDateTime &now)
{
    const double byText = textformats::leadingNumber(r.numberText);
    if (byText < 100 || byText > 399 || !hasRow(r.number))
        return false;
    Row &row = m_rows[r.number - kFirst];
    row[LogState] = r.logState;
    row[ActionState] = r.actionState;
    row[LineState] = r.lineState;
    row[AcdState] = r.acdState;
    row[GroupText] = groupText(r.groups);
    row[LoginTime] = r.loginTime;
    row[Agent] = r.agent;
    row[Description] = r.description;
    row[Display] = displayText(row, now);
    Q_EMIT extensionChanged(r.number);
    return true;
}

bool ExtensionTable::applyGroup(const telephony::GroupRecord &r)
{
    if (r.number < 1 || r.number > kGroups)
        return false;
    Group &g = m_groups[r.number - 1];
    // Counts from the wire, kept within what a call centre can hold.
    const auto count = [](qint32 v) { return std::clamp<qint32>(v, 0, kMaxGroupCount); };
    g.logged = count(r.logged);
    g.free = count(r.free);
    g.third = count(r.third);
    g.name = r.name;
    Q_EMIT groupsChanged();
    return true;
}

void ExtensionTable::applyStored(int extension, const Row &stored, const QDateTime &now)
{
    if (!hasRow(extension))
        return;
    Row &row = m_rows[extension - kFirst];
    bool changed = false;
    for (int c = LogState; c <= LogoutTime; ++c) {
        changed = changed || row[c] != stored[c];
        row[c] = stored[c];
    }
    // Read back every tick while the link is down: only a real change is
    // told, or the watchers would hear every row once a second.
    if (!changed && !row[Display].isEmpty())
        return;
    row[Display] = displayText(row, now);
    Q_EMIT extensionChanged(extension);
}

void ExtensionTable::setCells(int extension, const QList<std::pair<Column, QString>> &cells)
{
    if (!hasRow(extension))
        return;
    Row &row = m_rows[extension - kFirst];
    for (const auto &[column, value] : cells)
        row[column] = value;
    Q_EMIT extensionChanged(extension);
}

void ExtensionTable::recount()
{
    // Wire counts are clamped when stored; summed wide all the same.
    qint64 loggedSum = 0, freeSum = 0;
    m_groupsWithLogged = 0;
    for (const Group &g : m_groups) {
        loggedSum += g.logged;
        freeSum += g.free;
        m_groupsWithLogged += g.logged != 0 ? 1 : 0;
    }
    m_totalLogged = int(std::min<qint64>(loggedSum, std::numeric_limits<int>::max()));
    m_totalFree = int(std::min<qint64>(freeSum, std::numeric_limits<int>::max()));
    m_counters.fill(0);
    for (const Row &r : m_rows) {
        const bool in = logged(r[LogState]);
        m_counters[0] += in;
        m_counters[1] += in && r[ActionState] == QStringLiteral("FREE");
        m_counters[2] += r[ActionState] == QStringLiteral("BUSY");
        m_counters[3] += r[LogState] == QStringLiteral("PAUSED");
        m_counters[4] += r[LineState] == QStringLiteral("IDLE");
        m_counters[5] += r[LineState] == QStringLiteral("IN USE");
        m_counters[6] += r[LineState] == QStringLiteral("TALKING");
        m_counters[7] += r[LogState] == QStringLiteral("HANDSHAKING");
        m_counters[8] += r[LogState] == QStringLiteral("WORKING");
    }
    Q_EMIT countersChanged();
}
