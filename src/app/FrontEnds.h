#pragma once

#include "core/MainController.h"

struct RunOptions {
    MainController::Options controller;
    bool fast = false; // no pauses when writing dialer packets
    QString telnetHost; // the console's host, when given
};

// Each runs the program until it ends and returns the exit code; the
// application object of the right kind already exists.
int runHeadless(const RunOptions &options);
int runWindows(const RunOptions &options);
