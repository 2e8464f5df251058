#pragma once

#include <QTextStream>

#include "core/Severity.h"

// The program's lines without windows: "Source | text", one for each line
// of the text, with passwords hidden. When the stream is systemd's journal
// each line starts with the syslog priority of its severity ("<3>" errors,
// "<4>" warnings, "<6>" the rest), so that "journalctl -p err" finds the
// errors and no text from the wire can pass for a priority of its own.
class HeadlessOutput {
public:
    HeadlessOutput(QTextStream &out, bool journal) : m_out(out), m_journal(journal) {}

    void print(const QString &source, const QString &text, Severity severity = Severity::Info);
    bool isJournal() const { return m_journal; }

    // `text` ready for a stream (one line each, passwords hidden, the
    // priority first on the journal).
    static QString lines(const QString &text, Severity severity, bool journal);
    static QString priority(Severity severity);

private:
    QTextStream &m_out;
    bool m_journal;
};

// Qt's own warnings on standard error, with their priority when it is the
// journal and passwords hidden.
void routeQtMessages(bool journal);
