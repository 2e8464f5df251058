#pragma once

#include <QTextStream>

class CtMonitor;
class PbxMonitor;
class PopupNotice;
class TelnetConsole;

// The CT monitor's window model, without a window: its list as
// "ListaMonitor | line" and its changes as "CTMonitor | ..." lines
// (LEDs, legend counters, extensions, group grid).
void printMonitor(CtMonitor &monitor, QTextStream &out);

// The PBX lines window's model: "ListaLinee | line", "InLinea | line" and
// "PBX | ..." lines (opening, LED, each line's state).
void printPbx(PbxMonitor &pbx, QTextStream &out);

// The pop-up notices as "Msg | text".
void printNotices(PopupNotice &notice, QTextStream &out);

// The telnet console: its screen as "Screen | rr | text" lines, the rows
// that changed, at most ten times a second; its status bar as
// "Telnet | ..." lines.
void printConsole(TelnetConsole &console, QTextStream &out);
