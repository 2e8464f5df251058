#pragma once

#include <QString>

class FileLocations;

// HTML files of the web folder: the request log and, later, the status pages.
class HtmlFiles {
public:
    explicit HtmlFiles(const FileLocations &files) : m_files(files) {}

    // SalvaFileHtml: the text and CR LF, appended or replacing the file.
    // A missing folder or a locked file leaves things as they were.
    bool salvaFileHtml(const QString &text, const QString &name, bool append) const;
    // The same as a whole new file, written aside and renamed over the old
    // one, so that a reader never sees half a page.
    bool replaceFileHtml(const QString &text, const QString &name) const;

    // CreaFileLogRichieste: a fresh request log with its table header.
    bool creaFileLogRichieste() const;
    // A row of the request log; past `limit` bytes the log becomes
    // "richieste.htm.1" and a new one starts with its header and a row
    // saying so, so that it is a page of its own.
    bool appendRequestRow(const QString &row, qint64 limit) const;

    static QString requestLogHeader();

private:
    const FileLocations &m_files;
};
