#pragma once

#include <QString>
#include <QStringList>
#include <array>

// The eight SQL template files an operator edits by hand, and how their text
// becomes one line of SQL.
namespace sqltemplates {

enum Template {
    ClientiGruppo,       // customers per group
    ClientiOperatore,    // customers per operator
    Conta,               // counters
    Auto,                // start-of-run reset
    LiberaGruppo,        // group queue release
    LiberaOperatore,     // operator queue release
    Riepilogo,           // summary
    ContaProblemi,       // problem count
    TemplateCount
};

// File names in reading order, indexed by Template.
const std::array<QString, TemplateCount> &fileNames();

inline const QString kDefaultOrderBy =
    QStringLiteral("[Nome] Desc,[Cognome],datarichiamo,[scadenza mandato],[IMPORTO TOTALE] desc");

// Joins the lines of a template file: comment lines (first non-blank ';', '#'
// or '\'') are dropped, an empty line counts as one blank, every other line
// follows one separating blank; the result is trimmed of blanks.
QString joinLines(const QStringList &lines);

// Splits file text into lines on CR LF, LF or CR.
QStringList splitLines(const QString &text);

// Customers-per-group text: under 30 characters it is treated as absent;
// otherwise it carries its own ordering (orderBy is cleared) and a leading
// "SELECT " is removed.
void normaliseClientiGruppo(QString &text, QString &orderBy);

// Customers-per-operator text: under 10 characters it is treated as absent;
// otherwise a leading "SELECT " is removed.
void normaliseClientiOperatore(QString &text);

} // namespace sqltemplates
