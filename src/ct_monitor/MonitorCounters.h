#pragma once

class ExtensionTable;
class MainModel;
class MonitorModel;

// The table's counters where they show: the group grid and the legend of
// the monitor, the logged groups and agents on the main window.
namespace monitorcounters {
void show(const ExtensionTable &table, MonitorModel &model, MainModel &main);
}
