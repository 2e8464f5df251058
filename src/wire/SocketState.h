#pragma once

// The states 0 to 9 of the original socket control, which every link
// reports and every indicator shows (their texts and colours are the
// program's: core/SocketStates.h).
namespace socketstates {

enum State : int {
    kClosed = 0,
    kOpen = 1,
    kListening = 2,
    kPending = 3,
    kResolving = 4,
    kResolved = 5,
    kConnecting = 6,
    kConnected = 7,
    kClosing = 8,
    kError = 9,
};

} // namespace socketstates
