#include "core/HtmlFiles.h"

#include "core/CappedFile.h"
#include "core/Settings.h"
#include "core/TextFormats.h"
#include "wire/AnsiCodec.h"

#include <QDateTime>
#include <QFile>
#include <QSaveFile>

bool HtmlFiles::salvaFileHtml(const QString &text, const QString &name, bool append) const
{
    QFile f(m_files.webFile(name));
    const auto mode = QIODevice::WriteOnly | (append ? QIODevice::Append : QIODevice::Truncate);
    if (!f.open(mode))
        return false;
    const QByteArray bytes = ansi::encode(text) + "\r\n";
    return f.write(bytes) == bytes.size();
}

bool HtmlFiles::replaceFileHtml(const QString &text, const QString &name) const
{
    QSaveFile f(m_files.webFile(name));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = ansi::encode(text) + "\r\n";
    if (f.write(bytes) != bytes.size())
        return false;
    return f.commit();
}

QString HtmlFiles::requestLogHeader()
{
    const QString eol = QStringLiteral("\r\n");
    QString text = QStringLiteral("<html><head><title>Log Richieste PD</title>")
        + QStringLiteral("<meta http-equiv=\"refresh\" content=\"10\">")
        + QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"stileservice.css\">");
    const char *const lines[] = {"</head>", "<table>", "<tr>", "<th>data</th>", "<th>id</th>",
                                 "<th>gruppo/oper</th>", "<th>rich.</th>", "<th>inviati</th>", "</tr>"};
    for (const char *line : lines)
        text += QString::fromLatin1(line) + eol;
    return text;
}

bool HtmlFiles::creaFileLogRichieste() const
{
    return salvaFileHtml(requestLogHeader(), QStringLiteral("richieste"), false);
}

bool HtmlFiles::appendRequestRow(const QString &row, qint64 limit) const
{
    return cappedfile::append(m_files.webFile(QStringLiteral("richieste")), ansi::encode(row) + "\r\n", limit, [limit] {
        return ansi::encode(requestLogHeader() + QStringLiteral("<tr><td colspan=\"5\">")
                            + textformats::dateTime(QDateTime::currentDateTime())
                            + QStringLiteral(" ricominciato: superato il limite di ") + QString::number(limit)
                            + QStringLiteral(" byte, il precedente in richieste.htm.1</td></tr>"))
            + "\r\n";
    });
}
