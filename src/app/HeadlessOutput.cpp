#include "app/HeadlessOutput.h"

#include "core/Redaction.h"

#include <QStringList>

#include <cstdio>

namespace {
bool g_qtToJournal = false;
} // namespace

QString HeadlessOutput::priority(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return QStringLiteral("<3>");
    case Severity::Warning:
        return QStringLiteral("<4>");
    case Severity::Info:
        break;
    }
    return QStringLiteral("<6>");
}

QString HeadlessOutput::lines(const QString &text, Severity severity, bool journal)
{
    const QString prefix = journal ? priority(severity) : QString();
    QString out;
    for (const QString &line : redaction::hidePasswords(text).split(QLatin1Char('\n')))
        out += prefix + line + QLatin1Char('\n');
    return out;
}

void HeadlessOutput::print(const QString &source, const QString &text, Severity severity)
{
    // Each line of a message of several lines carries the source too: a
    // reader of the output can rely on the prefix.
    QString prefixed;
    for (const QString &line : text.split(QLatin1Char('\n')))
        prefixed += (prefixed.isEmpty() ? QString() : QStringLiteral("\n")) + source + QStringLiteral(" | ") + line;
    m_out << lines(prefixed, severity, m_journal);
    m_out.flush();
}

namespace {

void qtMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    Severity severity = Severity::Info;
    if (type == QtWarningMsg)
        severity = Severity::Warning;
    else if (type == QtCriticalMsg || type == QtFatalMsg)
        severity = Severity::Error;
    const QByteArray bytes = HeadlessOutput::lines(message, severity, g_qtToJournal).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

void routeQtMessages(bool journal)
{
    g_qtToJournal = journal;
    qInstallMessageHandler(qtMessage);
}
