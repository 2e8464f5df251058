#include "app/HeadlessCommands.h"

#include "app/Composition.h"
#include "app/HeadlessFrontEnd.h"
#include "core/ConfigFiles.h"
#include "core/MainController.h"
#include "console/KeyMap.h"
#include "core/TextFormats.h"

#include <QAbstractItemModel>

namespace {
QStringList words(const QString &text)
{
    return text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

// Word `i` as a tile coordinate, from `least` to the largest one.
int coordinate(const QStringList &w, int i, int least)
{
    return int(std::clamp<qint64>(textformats::leadingInteger(w.value(i)), least, MonitorTiles::kMaxCoordinate));
}
} // namespace

HeadlessCommands::HeadlessCommands(MainController &controller, Composition &parts, HeadlessPrompts &prompts,
                                   HeadlessOutput &out)
    : m_controller(controller), m_parts(parts), m_prompts(prompts), m_out(out)
{
    addMainWindow();
    addSettings();
    addMonitor();
    add(QStringLiteral("?"), {}, [this](const QString &) {
        for (const Command &c : std::as_const(m_commands))
            print(c.caption + (c.argument.isEmpty() ? QString() : QLatin1Char(' ') + c.argument));
    });
}

void HeadlessCommands::add(const QString &caption, const QString &argument, std::function<void(const QString &)> run)
{
    m_commands.append({caption, argument, std::move(run)});
}

void HeadlessCommands::print(const QString &text)
{
    m_out.print(QStringLiteral("Comandi"), text);
}

bool HeadlessCommands::run(const QString &line)
{
    const QString typed = line.trimmed();
    if (typed.isEmpty())
        return true;
    // The longest caption that the line starts with, as a whole word.
    const Command *best = nullptr;
    for (const Command &c : std::as_const(m_commands)) {
        const bool starts = typed.startsWith(c.caption, Qt::CaseInsensitive)
            && (typed.size() == c.caption.size() || typed[c.caption.size()] == QLatin1Char(' '));
        if (starts && (!best || c.caption.size() > best->caption.size()))
            best = &c;
    }
    if (!best) {
        print(QStringLiteral("sconosciuto: ") + typed + QStringLiteral(" (\"?\" li elenca)"));
        return false;
    }
    best->run(typed.mid(best->caption.size()).trimmed());
    m_prompts.forgetAnswers();
    return true;
}

void HeadlessCommands::addMainWindow()
{
    MainController &c = m_controller;
    const Plugins &p = c.plugins();
    add(QStringLiteral("Connetti"), {}, [&c](const QString &) { c.connetti(); });
    add(QStringLiteral("Chiudi"), {}, [&c](const QString &) { c.chiudi(); });
    add(QStringLiteral("clear list"), {}, [&c](const QString &) { c.clearLists(); });
    add(QStringLiteral("Log"), {}, [&c](const QString &) { c.toggleLogPanel(); });
    add(QStringLiteral("Esci"), {}, [this, &c](const QString &) {
        m_prompts.answerQuestions(1); // typed on purpose: the question is answered Yes
        c.esci();
    });
    add(QStringLiteral("DBOK"), {}, [l = p.link](const QString &) { l->sendDbOk(); });
    add(QStringLiteral("DBDOWN"), {}, [l = p.link](const QString &) { l->sendDbDown(); });
    add(QStringLiteral("prova esito"), {}, [e = p.emulator](const QString &) { e->provaEsito(); });
    CampaignPort *db = p.campaign;
    add(QStringLiteral("agg."), {}, [db](const QString &) { db->refreshCounters(false); });
    add(QStringLiteral("Azzera"), {}, [this, db](const QString &) {
        m_prompts.answerQuestions(2);
        db->manualReset();
    });
    add(QStringLiteral("invia gruppi"), {}, [db](const QString &) { db->sendGroups(); });
    add(QStringLiteral("A"), {}, [db](const QString &) { db->dumpArchive(); });
    add(QStringLiteral("et"), {}, [db](const QString &) { db->outcomeSummary(1); });
    add(QStringLiteral("eg"), {}, [db](const QString &) { db->outcomeSummary(2); });
    add(QStringLiteral("Test Query Gruppo"), QStringLiteral("<gruppo>"), [this, &c](const QString &a) {
        m_prompts.answerInputs({a});
        c.testQuery(false);
    });
    add(QStringLiteral("Test Query Operatore"), QStringLiteral("<operatore>"), [this, &c](const QString &a) {
        m_prompts.answerInputs({a});
        c.testQuery(true);
    });
    add(QStringLiteral("Diagnosi Gruppo"), QStringLiteral("<gruppo>"), [this, &c](const QString &a) {
        m_prompts.answerInputs({a});
        c.diagnose(false);
    });
    add(QStringLiteral("Diagnosi Operatore"), QStringLiteral("<operatore>"), [this, &c](const QString &a) {
        m_prompts.answerInputs({a});
        c.diagnose(true);
    });
    add(QStringLiteral("Gruppi/Operatori"), QStringLiteral("[gruppo] [oper.]"), [this, db](const QString &a) {
        const QStringList w = words(a);
        db->filterGroups(w.value(0), w.value(1));
        if (QAbstractItemModel *table = db->groupTable()) {
            for (int r = 0; r < table->rowCount(); ++r)
                print(QStringLiteral("Gruppi/Operatori ") + table->index(r, 0).data().toString() + QStringLiteral(" | ")
                      + table->index(r, 1).data().toString());
        }
    });
    const QStringList editsql = configfiles::captions();
    for (int i = 0; i < editsql.size(); ++i)
        add(editsql[i], {}, [&c, i](const QString &) { c.editConfiguration(i); });
    add(QStringLiteral("ACD"), {}, [this](const QString &) { m_parts.ctMonitor().toggle(); });
    add(QStringLiteral("Label1"), {}, [&c](const QString &) { c.openStatusPage(); }); // its double click
    add(QStringLiteral("Finestra Monitor"), {}, [this](const QString &) { m_parts.ctMonitor().showAndFill(); });
    add(QStringLiteral("wd"), {}, [this](const QString &) { m_parts.watchdogWindow().show(); });
    add(QStringLiteral("ping"), {}, [this](const QString &) { m_parts.ping().startPing(); });
    add(QStringLiteral("lblPing"), {}, [this](const QString &) { m_parts.ping().startPing(); });
}

void HeadlessCommands::addSettings()
{
    MainModel &m = m_controller.model();
    const auto flag = [this](const QString &caption, FlagValue &value) {
        add(caption, QStringLiteral("[0|1]"), [&value](const QString &a) {
            value.set(a.isEmpty() ? !value.value() : textformats::leadingNumber(a) != 0);
        });
    };
    flag(QStringLiteral("Simulazione"), m.emula);
    flag(QStringLiteral("AutoConnect"), m.autoConnect);
    flag(QStringLiteral("ping on idle"), m.pingOnIdle);
    flag(QStringLiteral("NODB"), m.noDb);
    const auto text = [this](const QString &caption, TextValue &value) {
        add(caption, QStringLiteral("<testo>"), [&value](const QString &a) { value.setText(a); });
    };
    text(QStringLiteral("Ip"), m.serverIp);
    text(QStringLiteral("Porta"), m.serverPort);
    text(QStringLiteral("Lv debug"), m.debugLevel);
}

void HeadlessCommands::addMonitor()
{
    CtMonitor &ct = m_parts.ctMonitor();
    // A command for one extension: its number, then the operator (the
    // extension's agent when left out).
    const auto command = [this, &ct](const QString &caption, int subcode) {
        add(caption, QStringLiteral("<interno> [operatore]"), [&ct, subcode](const QString &a) {
            const QStringList w = words(a);
            const int extension = w.value(0).toInt();
            const QString op = w.size() > 1 ? w[1] : ct.table().row(extension)[ExtensionTable::Agent];
            ct.commands().opCommand(subcode, extension, op);
        });
    };
    command(QStringLiteral("Login"), 1);
    command(QStringLiteral("Logout"), 2);
    command(QStringLiteral("Pausa"), 3);
    add(QStringLiteral("Nuovo Stato"), QStringLiteral("<interno> <1-9> [operatore]"), [this, &ct](const QString &a) {
        // The answers in the order the dialogue asks: the state unless the
        // extension is logged out (that is a login), then the operator when
        // the extension has none.
        const QStringList w = words(a);
        const int extension = w.value(0).toInt();
        const ExtensionTable::Row &row = ct.table().row(extension);
        QStringList answers;
        if (row[ExtensionTable::LogState] != QStringLiteral("LOGGED_OUT"))
            answers << w.value(1);
        if (textformats::leadingNumber(row[ExtensionTable::Agent]) == 0)
            answers << w.value(2);
        m_prompts.answerInputs(answers);
        ct.commands().changeState(extension);
    });
    add(QStringLiteral("LOGOUT GENERALE"), {}, [this, &ct](const QString &) {
        m_prompts.answerQuestions(1);
        ct.commands().logoutGenerale();
    });
    add(QStringLiteral("Login casuale"), QStringLiteral("<quanti>"), [this, &ct](const QString &a) {
        m_prompts.answerInputs({a});
        ct.commands().loginCasuale();
    });
    add(QStringLiteral("sloggare dal DB"), {}, [this, &ct](const QString &) {
        m_prompts.answerQuestions(1);
        ct.commands().logoutDatabase();
    });
    addMonitorWindow();
    addPbx();
    addConsole();
}

void HeadlessCommands::addConsole()
{
    TelnetConsole &t = m_parts.console();
    add(QStringLiteral("TELNET"), {}, [&t](const QString &) { t.show(); });
    add(QStringLiteral("Open"), {}, [&t](const QString &) { t.open(); });
    add(QStringLiteral("Close"), {}, [&t](const QString &) { t.close(); });
    add(QStringLiteral("Settings"), QStringLiteral("<host> <porta>"), [this, &t](const QString &a) {
        const QStringList w = words(a);
        const QString error = t.applySettings(w.value(0), w.value(1));
        if (!error.isEmpty())
            print(error);
    });
    // A key by name ("Up", "F1", "Enter", "Ctrl+C"); anything else, or a
    // text in double quotes, is typed as it stands.
    add(QStringLiteral("key"), QStringLiteral("<tasto|\"testo\">"), [&t](const QString &a) {
        int key = 0;
        QString text;
        bool ctrl = false;
        if (!(a.startsWith(QLatin1Char('"')) && a.endsWith(QLatin1Char('"')) && a.size() >= 2)
            && keymap::byName(a, key, text, ctrl)) {
            t.key(key, text, ctrl);
            return;
        }
        const QString typed = a.startsWith(QLatin1Char('"')) && a.endsWith(QLatin1Char('"')) && a.size() >= 2 ? a.mid(1, a.size() - 2) : a;
        for (const QChar c : typed)
            t.key(c.unicode() < 128 ? c.toUpper().unicode() : 0, QString(c), false);
    });
    ConsoleProcedures &p = t.procedures();
    add(QStringLiteral("pd"), {}, [&p](const QString &) { p.workPd(); });
    add(QStringLiteral("prcmon"), {}, [&p](const QString &) { p.workPrcmon(); });
    add(QStringLiteral("quotrace"), {}, [&t](const QString &) { t.quoTrace(); });
    add(QStringLiteral("Trace Calling"), {}, [&t](const QString &) { t.traceCalling(); });
    for (const QString &keyword : TelnetConsole::logKeywords())
        add(keyword, {}, [&t, keyword](const QString &) { t.log(keyword); });
}

// The tiles highlighted by a search, by extension.
void HeadlessCommands::printHighlighted()
{
    MonitorTiles &tiles = m_parts.ctMonitor().tiles();
    QStringList found;
    for (int i = 0; i < tiles.count(); ++i) {
        if (tiles.tile(i).highlighted)
            found << QString::number(MonitorTiles::extensionOf(i));
    }
    print(QStringLiteral("evidenziati: ") + found.join(QLatin1Char(' ')));
}

// A command whose argument answers the one input box it opens.
void HeadlessCommands::addAsking(const QString &caption, const QString &argument, std::function<void()> run)
{
    add(caption, argument, [this, run](const QString &arg) {
        m_prompts.answerInputs({arg});
        run();
    });
}

void HeadlessCommands::addMonitorWindow()
{
    CtMonitor &ct = m_parts.ctMonitor();
    MonitorActions &a = ct.actions();
    addAsking(QStringLiteral("cerca oper."), QStringLiteral("<testo>"), [this, &a] {
        a.cerca(false);
        printHighlighted();
    });
    addAsking(QStringLiteral("cerca+chiama op."), QStringLiteral("<testo>"), [this, &a] {
        a.cerca(true);
        printHighlighted();
    });
    addAsking(QStringLiteral("chiama oper."), QStringLiteral("<numero>"), [&a] { a.chiama(); });
    addAsking(QStringLiteral("chiama est."), QStringLiteral("<numero>"), [&a] { a.chiama(); });
    add(QStringLiteral("interrompi"), {}, [&a](const QString &) { a.interrompi(); });
    add(QStringLiteral("lista"), {}, [&a](const QString &) { a.toggleList(); });
    add(QStringLiteral("edit"), {}, [&a](const QString &) { a.edit(); });
    add(QStringLiteral("save"), {}, [&a](const QString &) { a.salvaPosizioni(); });
    add(QStringLiteral("zoom"), {}, [&a](const QString &) { a.leggiPosizioni(); });
    add(QStringLiteral("Visualizza COnteggi Telefonate"), QStringLiteral("[0|1]"), [&ct](const QString &arg) {
        ct.tiles().setShowCalls(arg.isEmpty() ? !ct.tiles().showCalls() : textformats::leadingNumber(arg) != 0);
    });
    addMonitorControls();
}

// Controls without a caption go by their name.
void HeadlessCommands::addMonitorControls()
{
    CtMonitor &ct = m_parts.ctMonitor();
    MonitorActions &a = ct.actions();
    add(QStringLiteral("ListaInterni"), QStringLiteral("<riga>"),
        [&a](const QString &arg) { a.listActivated(int(textformats::leadingInteger(arg))); });
    add(QStringLiteral("Evidenzia"), QStringLiteral("<gruppo>"), [this, &a](const QString &arg) {
        a.gridClicked(arg);
        printHighlighted();
    });
    add(QStringLiteral("LED_stato_server"), QStringLiteral("<0|1>"),
        [&ct](const QString &arg) { ct.links().ledDoubleClicked(int(textformats::leadingInteger(arg))); });
    add(QStringLiteral("Allinea"), QStringLiteral("<da> <a>"), [this, &a](const QString &arg) {
        m_prompts.answerInputs(words(arg));
        a.formDoubleClicked();
    });
    add(QStringLiteral("Messaggio"), QStringLiteral("<x> <y> <testo>"), [this, &a](const QString &arg) {
        const QStringList w = words(arg);
        m_prompts.answerInputs({w.mid(2).join(QLatin1Char(' '))});
        a.formRightClicked({coordinate(w, 0, 0), coordinate(w, 1, 0)});
    });
    add(QStringLiteral("Sposta"), QStringLiteral("<interno> <x> <y>"), [this, &a](const QString &arg) {
        const QStringList w = words(arg);
        const int least = -MonitorTiles::kMaxCoordinate;
        const int index = MonitorTiles::indexOf(coordinate(w, 0, least));
        if (index < 0 || index >= m_parts.ctMonitor().tiles().count()) {
            print(QStringLiteral("Sposta: nessun interno ") + w.value(0));
            return;
        }
        a.tileMoveStarted(index);
        a.tileMoved(index, {coordinate(w, 1, least), coordinate(w, 2, least)});
    });
}

void HeadlessCommands::addPbx()
{
    PbxMonitor &pbx = m_parts.pbx();
    add(QStringLiteral("PBX"), {}, [&pbx](const QString &) { pbx.show(); });
    add(QStringLiteral("-> pbx"), {}, [&pbx](const QString &) { pbx.show(); });
    add(QStringLiteral("Visualizza Messaggi"), QStringLiteral("[0|1]"), [&pbx](const QString &arg) {
        pbx.messagesShown.set(arg.isEmpty() ? !pbx.messagesShown.value() : textformats::leadingNumber(arg) != 0);
    });
    add(QStringLiteral("LED PBX"), {}, [&pbx](const QString &) { pbx.toggleLink(); });
}
