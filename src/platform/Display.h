#pragma once

namespace platform {

// True when a graphical session is there to show windows on.
bool hasDisplay();

} // namespace platform
