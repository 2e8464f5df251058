#include "app/ConfigCheck.h"

#include "campaign/Campaign.h"
#include "campaign/SchemaCheck.h"
#include "wire/AnsiCodec.h"
#include "core/DebugFile.h"
#include "core/IniText.h"
#include "core/Logger.h"
#include "core/MainModel.h"
#include "core/Preferences.h"
#include "core/RunClock.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "core/SqlTemplates.h"
#include "core/TextFormats.h"
#include "core/UserPrompts.h"
#include "dialer_link/DialerReplies.h"
#include "dialer_link/Dispatcher.h"
#include "platform/PlatformPaths.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRegularExpression>
#include <QTextStream>
#include <map>

namespace {

// Questions take no answer: nothing is opened for editing, nothing confirmed.
class NoPrompts : public UserPrompts {
public:
    void message(const QString &, Severity) override {}
    bool confirm(const QString &, bool) override { return false; }
    QString input(const QString &) override { return {}; }
    void editFile(const QString &) override {}
};

class NoReplies : public DialerReplies {
public:
    void sendReply(qint32, const QString &, const packet::RecordId &, const QByteArray &, bool) override {}
};

QString fileText(const QString &path, bool &exists)
{
    QFile f(path);
    exists = f.open(QIODevice::ReadOnly);
    return exists ? ansi::decode(f.readAll()) : QString();
}

QString where(const QString &path, int line)
{
    return QFileInfo(path).fileName() + QLatin1Char(':') + QString::number(line);
}

bool isInteger(const QString &v)
{
    static const QRegularExpression integer(QStringLiteral("^-?\\d+$"));
    return integer.match(v.trimmed()).hasMatch();
}

// Why a value does not do what it seems to say; empty when it is sound.
QString badValue(const settingskey::Key &key, const QString &value)
{
    using settingskey::Kind;
    if (value.isEmpty())
        return {};
    switch (key.kind) {
    case Kind::Flag:
        if (!isInteger(value))
            return QStringLiteral("\"") + value + QStringLiteral("\" is not 0 or 1: it reads as ")
                + (textformats::leadingNumber(value) != 0 ? QStringLiteral("on") : QStringLiteral("off"));
        return {};
    case Kind::Number:
        if (!isInteger(value))
            return QStringLiteral("\"") + value + QStringLiteral("\" is not a whole number");
        return {};
    case Kind::Port:
        if (!isInteger(value) || value.toLongLong() < 0 || value.toLongLong() > 65535)
            return QStringLiteral("\"") + value + QStringLiteral("\" is not a port (0 to 65535)");
        return {};
    case Kind::Address:
        if (key.name == settingskey::MetricsIp && QHostAddress(value).isNull())
            return QStringLiteral("\"") + value + QStringLiteral("\" is not an IP address");
        if (value.contains(QLatin1Char(' ')))
            return QStringLiteral("\"") + value + QStringLiteral("\" is not a host name or address");
        return {};
    case Kind::Text:
        return {};
    }
    return {};
}

} // namespace

QString ConfigCheck::redacted(const QString &connString)
{
    // TODO(i20-install): replace with the program's one redaction function when it lands.
    QString out = connString;
    static const QRegularExpression pair(QStringLiteral("((?:^|;)\\s*(?:password|pwd)\\s*=\\s*)(\"[^\"]*\"|'[^']*'|\\{[^}]*\\}|[^;]*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    out.replace(pair, QStringLiteral("\\1***"));
    static const QRegularExpression url(QStringLiteral("(://[^:/@\\s]*:)[^@/\\s]*@"));
    out.replace(url, QStringLiteral("\\1***@"));
    return out;
}

QStringList ConfigCheck::run(QTextStream &out)
{
    m_problems.clear();
    settingsFile(out);
    QString connString;
    sharedFiles(out, connString);
    database(out, connString);
    ports(out);
    out << Qt::endl;
    if (m_problems.isEmpty()) {
        out << "No problems found." << Qt::endl;
    } else {
        out << m_problems.size() << (m_problems.size() == 1 ? " problem:" : " problems:") << Qt::endl;
        for (const QString &p : std::as_const(m_problems))
            out << "  " << p << Qt::endl;
    }
    return m_problems;
}

void ConfigCheck::settingsFile(QTextStream &out)
{
    const QString path = FileLocations(m_paths).settingsFile();
    out << "Settings: " << platform::displayPath(path) << Qt::endl;
    bool exists = false;
    const QString text = fileText(path, exists);
    if (!exists) {
        problem(QStringLiteral("conn_quorin.ini not found: the program runs on empty settings (no dialer address)"));
        return;
    }
    std::map<QString, int> seen; // lower-case key -> line read
    bool section = false;        // the [Settings] section was found
    bool reading = false;        // in it: the program reads the first one only
    bool outside = false;        // a line before any section was named
    for (const initext::Line &l : initext::lines(text)) {
        const QString at = where(path, l.number);
        if (l.kind == initext::Line::Kind::Section) {
            const bool settings = l.section.compare(kSettingsSection, Qt::CaseInsensitive) == 0;
            if (settings && section)
                problem(at + QStringLiteral(": a second [Settings] section: the program reads only the first"));
            else if (!settings)
                problem(at + QStringLiteral(": section [") + l.section + QStringLiteral("] is not read by the program"));
            reading = settings && !section;
            section = section || settings;
        } else if (reading) {
            setting(out, l, at, seen);
        } else if (!outside && l.section.isEmpty() && l.kind != initext::Line::Kind::Blank
                   && l.kind != initext::Line::Kind::Comment) {
            // Said once: a file that is not an INI file at all would say it on every line.
            problem(at + QStringLiteral(": outside any section: not read"));
            outside = true;
        }
    }
    if (!section)
        problem(QStringLiteral("conn_quorin.ini has no [Settings] section: the program runs on empty settings"));
    unsetKeys(out, seen);
}

void ConfigCheck::setting(QTextStream &out, const initext::Line &l, const QString &at, std::map<QString, int> &seen)
{
    if (l.kind == initext::Line::Kind::Blank || l.kind == initext::Line::Kind::Comment)
        return;
    if (l.kind == initext::Line::Kind::NoEquals) {
        problem(at + QStringLiteral(": \"") + l.key.left(40) + QStringLiteral("\" is not a setting (no '=')"));
        return;
    }
    const settingskey::Key *key = settingskey::find(l.key);
    if (!key) {
        const QString near = settingskey::nearest(l.key);
        problem(at + QStringLiteral(": unknown key \"") + l.key + QLatin1Char('"')
                + (near.isEmpty() ? QString() : QStringLiteral(" (did you mean \"") + near + QStringLiteral("\"?)")));
        return;
    }
    const auto [it, first] = seen.emplace(key->name.toLower(), l.number);
    if (!first) {
        problem(at + QStringLiteral(": ") + key->name + QStringLiteral(" again: the program reads line ")
                + QString::number(it->second));
        return;
    }
    out << "  " << key->name << " = " << l.value << "  (" << at << ')' << Qt::endl;
    if (const QString bad = badValue(*key, l.value); !bad.isEmpty())
        problem(at + QStringLiteral(": ") + key->name + QStringLiteral(" ") + bad);
}

void ConfigCheck::unsetKeys(QTextStream &out, const std::map<QString, int> &seen)
{
    QStringList unset;
    for (const settingskey::Key &k : settingskey::all())
        if (seen.count(k.name.toLower()) == 0)
            unset << k.name;
    // The watchdog's ten in one word when none is set.
    const qsizetype watchdogs = unset.indexOf(settingskey::WatchDogIP + QLatin1Char('0'));
    if (watchdogs >= 0 && unset.value(watchdogs + 9) == settingskey::WatchDogIP + QLatin1Char('9')) {
        unset.remove(watchdogs, 10);
        unset.insert(watchdogs, settingskey::WatchDogIP + QStringLiteral("0 to 9"));
    }
    out << "  not set, defaults apply: " << unset.join(QStringLiteral(", ")) << Qt::endl;
}

void ConfigCheck::sharedFiles(QTextStream &out, QString &connString)
{
    const FileLocations files(m_paths);
    const QString shared = files.sharedDbFile();
    out << "Database settings: " << platform::displayPath(shared) << Qt::endl;
    bool exists = false;
    const QString text = fileText(shared, exists);
    connString = initext::value(text, QStringLiteral("datiserver"), QStringLiteral("connstring"));
    for (const initext::Line &l : initext::lines(text)) {
        if (l.kind == initext::Line::Kind::Setting && l.key.compare(QStringLiteral("connstring"), Qt::CaseInsensitive) == 0
            && l.section.compare(QStringLiteral("datiserver"), Qt::CaseInsensitive) == 0) {
            out << "  connstring = " << redacted(l.value) << "  (" << where(shared, l.number) << ')' << Qt::endl;
            break;
        }
    }
    if (connString.isEmpty())
        problem(QFileInfo(shared).fileName() + (exists ? QStringLiteral(": no connstring in [datiserver]")
                                                       : QStringLiteral(" not found"))
                + QStringLiteral(": the program stops at start"));

    const QString orderBy = files.orderByFile();
    const QString first = fileText(orderBy, exists).section(QLatin1Char('\n'), 0, 0).trimmed();
    out << "ORDER BY: " << platform::displayPath(orderBy) << Qt::endl << "  "
        << (first.isEmpty() ? QStringLiteral("not set, the built-in order: ") + sqltemplates::kDefaultOrderBy
                            : first + QStringLiteral("  (") + where(orderBy, 1) + QLatin1Char(')'))
        << Qt::endl;
    out << "SQL templates:" << Qt::endl;
    for (const QString &name : sqltemplates::fileNames()) {
        const QString path = files.appFile(name);
        const QString statement = sqltemplates::joinLines(sqltemplates::splitLines(fileText(path, exists)));
        out << "  " << name << ": "
            << (!exists                ? QStringLiteral("absent, the built-in statement")
                    : statement.isEmpty() ? platform::displayPath(path) + QStringLiteral(" (comments only: the built-in statement)")
                                          : platform::displayPath(path))
            << Qt::endl;
    }
}

void ConfigCheck::database(QTextStream &out, const QString &connString)
{
    out << "Database:" << Qt::endl;
    if (connString.isEmpty())
        return;
    // The settings and templates as the program reads them at start, into
    // a campaign that builds its statements as it would for the dialer.
    const FileLocations files(m_paths);
    MainModel model;
    Logger log(model.debugLevel);
    Settings settings;
    RunClock clock;
    NoPrompts prompts;
    Plugins plugins;
    Preferences(files, settings, model, log, prompts, plugins).leggiPreferenze(false);
    NoReplies replies;
    const DebugFile debug(files.rootFile(QStringLiteral("DEBUG.TXT")));
    Dispatcher dispatcher(log, model, debug);
    Campaign campaign({log, model, settings, clock, prompts, files, {}}, replies, dispatcher, debug);

    QString error;
    const ConnectionParams conn = ConnectionParams::parse(connString, m_paths.sharedDir, campaign.sqlServerDriver());
    if (!campaign.db().open(conn, error)) {
        problem(QStringLiteral("the database cannot be opened: ") + error);
        return;
    }
    out << "  opened" << Qt::endl;
    const QStringList missing = schemacheck::missing(campaign.db());
    for (const QString &m : missing)
        problem(m);
    int columns = 0;
    for (const schemacheck::Table &t : schemacheck::tables())
        columns += int(t.columns.size());
    out << "  " << schemacheck::tables().size() << " tables and " << columns << " columns checked, "
        << missing.size() << " missing" << Qt::endl;
    for (const Campaign::SampleStatement &s : campaign.sampleStatements()) {
        const QString name = sqltemplates::fileNames()[size_t(s.which)];
        const QString what = s.fromTemplate ? name : QStringLiteral("built-in statement for ") + name;
        const QString why = s.refused.isEmpty() ? schemacheck::prepare(campaign.db(), s.sql) : s.refused;
        out << "  " << what << ": " << (why.isEmpty() ? QStringLiteral("prepared") : QStringLiteral("FAILED")) << Qt::endl;
        if (!why.isEmpty())
            problem(what + QStringLiteral(": ") + why);
    }
}
