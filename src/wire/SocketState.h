#pragma once

// The states 0 to 9 of the original socket control, which every link
// reports and every indicator shows (their texts and colours are the
// program's: core/SocketStates.h).
namespace socketstates {

// Numbered 0 to 9 in this order; kStateCount counts them.
enum State : int {
    kClosed,
    kOpen,
    kListening,
    kPending,
    kResolving,
    kResolved,
    kConnecting,
    kConnected,
    kClosing,
    kError,
    kStateCount,
};

} // namespace socketstates
