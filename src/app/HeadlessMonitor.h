#pragma once

#include "app/HeadlessOutput.h"

class CtMonitor;
class PbxMonitor;
class PingService;
class PopupNotice;
class TelnetConsole;
class WatchdogMonitor;

// The CT monitor's window model, without a window: its list as
// "ListaMonitor | line" and its changes as "CTMonitor | ..." lines
// (LEDs, legend counters, extensions, group grid).
void printMonitor(CtMonitor &monitor, HeadlessOutput &out);

// The PBX lines window's model: "ListaLinee | line", "InLinea | line" and
// "PBX | ..." lines (opening, LED, each line's state).
void printPbx(PbxMonitor &pbx, HeadlessOutput &out);

// The pop-up notices as "Msg | text".
void printNotices(PopupNotice &notice, HeadlessOutput &out);

// The telnet console: its screen as "Screen | rr | text" lines, the rows
// that changed, at most ten times a second; its status bar as
// "Telnet | ..." lines.
void printConsole(TelnetConsole &console, HeadlessOutput &out);

// The watchdog window's model: the report's lines as "WatchDog | line",
// its caption as "frm_WDog | caption" when it changes.
void printWatchdog(WatchdogMonitor &window, HeadlessOutput &out);

// Each ping's result as "Ping | lblPing's caption | colour".
void printPing(PingService &ping, HeadlessOutput &out);
