#pragma once

#include <QString>

namespace platform {

// This machine's first IPv4 address that is not a loopback one, else 127.0.0.1.
QString localAddress();

} // namespace platform
