#pragma once

#include "campaign/CampaignContext.h"

// The "Dati DB" block of the main window, its adjustments, the archive and
// outcome summaries and the two resets.
class Counters {
public:
    explicit Counters(const CampaignContext &ctx) : m_ctx(ctx) {}

    // Contatori: only "In Coda Quorin" when `soloCoda`, else the whole block.
    void contatori(bool soloCoda);
    void db(qint64 n);   // "Cl.da inviare" += n
    void coda(qint64 n); // "In Coda Quorin" += n
    void dumpArchivio();
    void riepilogoEsitiGiorno(int mode);
    void azzeramentoInizialeDB();
    // "Azzera": two confirmations, then every dispatch state back to 0.
    void azzeramentoManuale();

    static const QString kCodaStatement;
    static const QString kDaInviareStatement;
    static const QString kStatiStatement;
    static const QString kArchivioStatement;
    static const QString kAzzeraStatement;

private:
    bool count(const QString &sql, int element);
    void list2(const QString &line);
    QString now() const;

    CampaignContext m_ctx;
};
