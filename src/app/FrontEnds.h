#pragma once

#include "core/MainController.h"

// Each runs the program until it ends and returns the exit code; the
// application object of the right kind already exists.
int runHeadless(const MainController::Options &options);
int runWindows(const MainController::Options &options);
