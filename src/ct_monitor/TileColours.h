#pragma once

#include <QString>

#include "ct_monitor/ExtensionTable.h"

// The colours an extension or a line shows, the same in the window's tiles
// and in the status page, so one picture reads the same in both.
namespace tilecolours {

// "#RRGGBB" of an extension's state; empty when no agent is on it. The
// first rule that matches: BUSY cyan, HANDSHAKE purple, PAUSED red,
// WORKING yellow (the page writes "#FFFF", which a browser shows yellow),
// WORKAFTERC teal, any other agent green.
QString extension(const ExtensionTable::Row &row);

// "#RRGGBB" of a colour the original wrote &HBBGGRR: blue and red swap.
QString fromBgr(quint32 bgr);

// The legend's colours (Label2 elements 0 to 8); empty where the window's
// own colour stays.
QString legend(int index);

} // namespace tilecolours
