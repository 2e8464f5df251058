#include "ct_monitor/MonitorCounters.h"

#include "core/MainModel.h"
#include "ct_monitor/ExtensionTable.h"
#include "ct_monitor/MonitorModel.h"

namespace monitorcounters {

void show(const ExtensionTable &table, MonitorModel &model, MainModel &main)
{
    const auto n = [](qint64 v) { return QString::number(v); };
    QList<MonitorModel::GridRow> rows;
    for (int g = 1; g <= ExtensionTable::kGroups; ++g) {
        const ExtensionTable::Group &group = table.group(g);
        if (!group.name.trimmed().isEmpty())
            rows.append({n(g) + QLatin1Char(' ') + group.name, group.logged, group.free, group.third});
    }
    model.setGrid(rows);
    const auto &c = table.counters();
    for (int i = 0; i < MonitorModel::kLegend; ++i)
        model.legend[i]->setText(n(c[i]));
    main.database[MainModel::GroupsLogged]->set(table.groupsWithLogged());
    main.database[MainModel::AgentsLogged]->set(c[0]);
    main.database[MainModel::AgentsFree]->set(c[1]);
}

} // namespace monitorcounters
