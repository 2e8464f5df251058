#pragma once

#include <QString>

namespace platform {

// The library of an ODBC driver that unixODBC does not know by `name` (no
// section of that name in its odbcinst.ini files), where Debian's package
// puts it: FreeTDS's libtdsodbc.so (package tdsodbc), so that
// "Driver=FreeTDS" works whether or not the driver was registered. Empty
// when the name is registered, is not one of these, or its library is not
// installed; always empty on Windows, where installers register drivers.
QString unregisteredOdbcDriver(const QString &name);

// Whether unixODBC knows a driver of that name (always true on Windows:
// the driver manager is asked when connecting).
bool isOdbcDriverRegistered(const QString &name);

} // namespace platform
