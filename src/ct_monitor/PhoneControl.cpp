#include "ct_monitor/PhoneControl.h"

#include "core/IniFile.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"
#include "platform/ProcessRunner.h"

CommandPhone::CommandPhone(const FileLocations &files, QObject *parent)
    : QObject(parent), m_files(files), m_runner(new platform::ProcessRunner(this))
{
}

CommandPhone::~CommandPhone() = default;

bool CommandPhone::validNumber(const QString &number)
{
    if (number.isEmpty() || number.size() > kMaxNumber)
        return false;
    for (const QChar c : number) {
        if (!(c.isDigit() && c.unicode() < 128) && c != QLatin1Char('+') && c != QLatin1Char('*') && c != QLatin1Char('#'))
            return false;
    }
    return true;
}

bool CommandPhone::callPhone(const QString &number)
{
    const QString n = number.trimmed();
    if (!validNumber(n)) {
        Q_EMIT said(QStringLiteral("Telefono: numero non valido [") + number.left(kMaxNumber) + QLatin1Char(']'));
        return false;
    }
    return run(settingskey::ComandoChiamata, n);
}

bool CommandPhone::hangPhone()
{
    return run(settingskey::ComandoRiaggancio, QString());
}

bool CommandPhone::run(const QString &key, const QString &argument)
{
    const QString command = inifile::leggiIni(m_files.settingsFile(), kSettingsSection, key).trimmed();
    if (command.isEmpty()) {
        Q_EMIT said(QStringLiteral("Telefono non configurato: manca ") + key + QStringLiteral(" in conn_quorin.ini"));
        return false;
    }
    if (m_running >= kMaxRunning) {
        Q_EMIT said(QStringLiteral("Telefono: ") + QString::number(m_running) + QStringLiteral(" comandi ancora in corso, ")
                    + key + QStringLiteral(" non eseguito"));
        return false;
    }
    ++m_running;
    m_runner->eseguiEAttendi(command, argument, [this, key](int code, bool started) {
        --m_running;
        if (!started)
            Q_EMIT said(QStringLiteral("Telefono: ") + key + QStringLiteral(" non partito"));
        else if (code != 0)
            Q_EMIT said(QStringLiteral("Telefono: ") + key + QStringLiteral(" uscito con codice ") + QString::number(code));
        Q_EMIT finished(code, started);
    });
    return true;
}
