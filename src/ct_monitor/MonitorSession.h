#pragma once

#include <QObject>
#include <QTimer>

class CtMonitorStore;
class ExtensionTable;
class FileLocations;
class Logger;
class MonitorActions;
class MonitorFeed;
class MonitorLinks;
class MonitorModel;
class MonitorTiles;
struct MonitorFlags;
struct Settings;

// The monitor's opening and closing (the "ACD" menu, "Finestra Monitor"),
// its window timer, and edit mode's hold on timers and links. Its tables
// and model outlive it: closing only stops what runs.
class MonitorSession : public QObject {
    Q_OBJECT
public:
    struct Parts {
        Logger &log;
        const Settings &settings;
        const FileLocations &files;
        MonitorFlags &flags; // read again at every opening
        MonitorLinks &links;
        MonitorFeed &feed;
        CtMonitorStore &store;
        ExtensionTable &table;
        MonitorModel &model;
        MonitorTiles &tiles;
        MonitorActions &actions;
    };

    explicit MonitorSession(Parts parts, QObject *parent = nullptr);

    // The "ACD" menu: closes an open monitor, else opens it.
    void toggle();
    // "Finestra Monitor": opens as "ACD" does, and the tiles are drawn again.
    void showAndFill();
    // Opens the monitor (the links only, when open already).
    void open();
    void close();
    bool isOpen() const;
    // The window timer's work: LEDs, caption, read-back and reconnection.
    void tick();
    // Edit mode: timers and links stop (true), or start again.
    void hold(bool on);
    QTimer &timer() { return m_timer; }

Q_SIGNALS:
    // Edit mode holds the main window's two timers (true) and lets them go.
    void mainTimersHeld(bool on);
    // "Finestra Monitor": the tiles are to be drawn again from the table (Riempie).
    void refillRequested();

private:
    bool running() const; // links up or wanted, or held by edit mode
    void startTimer();
    void log(const QString &text);

    Parts m_parts;
    QTimer m_timer;
    bool m_closing = false;
};
