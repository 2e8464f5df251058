#pragma once

#include <QTextStream>

class CtMonitor;

// The CT monitor's window model, without a window: its list as
// "ListaMonitor | line" and its changes as "CTMonitor | ..." lines
// (LEDs, legend counters, extensions, group grid).
void printMonitor(CtMonitor &monitor, QTextStream &out);
