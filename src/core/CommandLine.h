#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. "MINIMO" and "FAST" are matched anywhere in
// the upper-cased command line, outside the values of the options (a host
// named "fastpd" is a host, not the word FAST).
struct CommandLine {
    bool headless = false;
    bool help = false;
    bool checkConfig = false; // --check-config: check the settings, database and ports, and stop
    bool version = false;
    bool minimo = false;
    bool fast = false;
    QString appDir;    // empty: the executable's folder
    QString sharedDir; // empty: the platform default
    QString rootDir;   // empty: the platform default
    QString createDemoDb; // --create-demo-db: build a demo database and stop
    QString telnetHost;   // --telnet-host: the dialer's host for the console
    int customers = 5000;
    quint32 seed = 190;
    QString error;     // set when the line could not be understood

    static CommandLine parse(const QStringList &arguments); // without the program name
    static QString usage();
};
