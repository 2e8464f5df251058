#pragma once

#include <QObject>
#include <array>

#include "core/Metrics.h"
#include "core/ObservableValue.h"

// Everything the main window shows or lets the operator set. The window binds
// to these values; logic reads and writes them, counters as numbers.
class MainModel : public QObject {
    Q_OBJECT
public:
    static constexpr int kTrafficCount = 12;
    static constexpr int kDbCount = 12;
    static constexpr int kOutcomeCount = 12;
    static constexpr int kLastCount = 6;

    // Elements of `traffic` (lblstatus).
    enum Traffic : int {
        Dispatched = 0,      // " Rx": dialer messages received and handled
        DataErrors = 1,      // "Err.": packets rejected as "ERRORE NEI DATI"
        UnknownCodes = 2,    // "Scon"
        PacketsSent = 3,     // "Tx"
        BytesReceived = 4,   // "### ### ### ###"
        BytesSent = 5,       // "### ### ### ###"
        LastCodeReceived = 6,
        LastCodeSent = 7,
        IdleReceive = 8,     // "hh:mm:ss"
        IdleSend = 9,
        OutcomesPerHour = 10,
        OperatorPerHour = 11,
    };
    // Elements of `database` (lbl_DatiDB).
    enum DbCounter : int {
        ConnectionString = 0,
        ToSend = 1,          // "Cl.da inviare"
        Collectors = 2,      // "grp/op DB", second value
        OutcomeRows = 3,     // "Esiti in DB"
        Groups = 4,          // "grp/op DB", first value
        InQueue = 5,         // "In Coda Quorin"
        ToOperator = 6,      // "-> Operatore"
        Discarded = 7,       // "Scartati"
        NotSendable = 8,     // "non inviabili"
        GroupsLogged = 9,    // groups with agents logged in
        AgentsLogged = 10,
        AgentsFree = 11,
    };
    // Elements of `customers` (lblCL_TX_RX).
    enum CustomerCounter : int { CustomersSent = 0, CustomersRefused = 1 };
    // Elements of `lastRequest` (lblLast).
    enum LastRequest : int { LastGroup = 0, LastWanted = 1, LastSent = 2, LastOperator = 3, LastId = 4, LastFound = 5 };

    explicit MainModel(QObject *parent = nullptr);

    // Window caption and the clock menu.
    TextValue caption;
    TextValue menuClock;

    // "Server Quorin" frame: the live connection settings.
    TextValue serverIp{QStringLiteral("127.0.0.1")};
    TextValue serverPort{QStringLiteral("12000")};
    FlagValue emula;        // "Simulazione"
    FlagValue autoConnect;  // "AutoConnect"
    FlagValue pingOnIdle;   // "ping on idle"
    FlagValue noDb;         // "NODB"
    TextValue debugLevel;   // "Lv debug"

    // Dialer link indicator.
    TextValue codeStatus{QStringLiteral("0")};
    TextValue status;
    ColourValue led;
    FlagValue connectEnabled{true}; // "Connetti"
    FlagValue closeEnabled{false};  // "Chiudi"

    // Watchdog, ping and CT monitor indicators.
    TextValue watchdog{QStringLiteral("wd")};
    ColourValue ledWatchdog;
    TextValue pingCaption{QStringLiteral("ping"), QStringLiteral("Clicca x Ping singolo")};
    TextValue pingResult;
    TextValue pingBackground; // "#RRGGBB" behind lblPing, empty before the first ping
    TextValue acdCode{QStringLiteral("0")};
    ColourValue ledAcd;

    // Counter arrays: numbers, which the window and the status page format.
    std::array<CountValue *, kTrafficCount> traffic{}; // lblstatus; the idle clocks in seconds
    CountValue countedSeconds{0, CountValue::Unset};   // the rates' seconds, lblstatus(10)'s tool tip
    TextValue connectionString;                        // lbl_DatiDB(0), text and tool tip
    std::array<CountValue *, kDbCount> database{};     // lbl_DatiDB; element 0 is `connectionString`
    std::array<CountValue *, kOutcomeCount> outcomes{}; // lblEsiti
    std::array<CountValue *, kOutcomeCount> outcomePercent{}; // lblPercEsiti, whole percentages
    std::array<CountValue *, 2> customers{};           // lblCL_TX_RX: sent, refused
    std::array<CountValue *, kLastCount> lastRequest{}; // lblLast; element LastOperator is `lastOperator`
    TextValue lastOperator{QStringLiteral("0")};

    // Panels.
    FlagValue logPanelVisible;    // "Log": the two request lists
    FlagValue groupBrowserVisible; // "Gruppi/Operatori"
    TextValue groupFilter;
    TextValue operatorFilter;

    // The metrics page's counters: they only grow, whatever the labels show.
    Metrics metrics;
};
