#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "core/LogList.h"
#include "core/ObservableValue.h"
#include "core/Ports.h"
#include "core/Severity.h"
#include "pbx_lines/LineTable.h"
#include "pbx_lines/PbxFormat.h"
#include "wire/FramedReader.h"
#include "wire/Reconnector.h"

class DebugFile;
class ExtensionTable;
class FileLocations;
class Logger;
class MainModel;

// The PBX lines window's logic (Frm_LineeEsterne, "PBX Linee Esterne"): the
// receive-only link to the exchange's line monitor (port 20250, setting
// "PortaPBX"), the external line table, the call messages that count an
// extension's calls, and the window's model. Opened by the "PBX" menu, by a
// double click on "-> pbx" and by a status-page request; the link is opened
// then and by its LED, and kept up by its Reconnector until closed.
class PbxMonitor : public QObject, public PbxPort {
    Q_OBJECT
public:
    static constexpr int kMessagesShown = 1000; // the call list is capped
    static constexpr int kChannel = 5;

    struct Parts {
        Logger &log;
        MainModel &main;
        const FileLocations &files;
        const DebugFile &debug;
        ExtensionTable &extensions;
        std::function<int()> timeoutMs;
    };

    explicit PbxMonitor(Parts parts, QObject *parent = nullptr);

    // PbxPort
    void show() override; // open, and bring the window forward
    void shutdown() override { close(); }

    void open();  // load the window: draw, connect
    void close(); // unload
    bool isOpen() const { return loaded.value(); }
    // The LED's double click: a link closed or in error opens at once, any
    // other is closed until opened again.
    void toggleLink();
    void tick();

    LineTable &table() { return m_table; }
    const LineTable &table() const { return m_table; }
    LinkSocket &socket() { return m_reader.socket(); }
    wire::Reconnector &reconnector() { return m_reconnector; }
    quint16 port() const { return m_port; }

    // Decoding, without a socket (also what the socket feeds).
    void feed(const QByteArray &bytes) { m_reader.feed(bytes); }

    // The window's model.
    FlagValue loaded;
    TextValue caption;
    ColourValue led;
    TextValue ledTip;
    FlagValue messagesShown; // chkInLinea, "Visualizza Messaggi"
    LogList list{QStringLiteral("ListaLinee")};
    LogList messages{QStringLiteral("InLinea")};

Q_SIGNALS:
    void raiseRequested();
    // Opened for a status-page request: the window, if any, out of the way.
    void minimiseRequested();

private:
    void connectLink(); // ConnettiPBX
    void connectReader();
    void handle(const QByteArray &framed);
    void lavoraDatiPbx(const pbx::Packet &p);
    void callMessage(const pbx::Packet &p);
    QString recordLine(const pbx::LineRecord &r) const;
    void updateLed();
    void log(const QString &text, Severity severity = Severity::Info);
    void debug(const QString &text);

    Parts m_parts;
    LineTable m_table;
    wire::FramedReader m_reader;
    wire::Reconnector m_reconnector;
    QTimer m_timer;
    quint16 m_port = pbx::kPort;
    qint64 m_recordCount = 0;
};
