// CT_Monitor on a real database (an SQLite file, or the server
// QUORIN_TEST_DB names): rows written through, read back, and the
// operator's password looked up.
#include "../campaign/CampaignFixture.h"
#include "ct_monitor/CtMonitorStore.h"

namespace {

telephony::ExtensionRecord record(int number, const QString &log, const QString &agent = QStringLiteral("1001"))
{
    telephony::ExtensionRecord r;
    r.number = number;
    r.numberText = QString::number(number);
    r.agent = agent;
    r.description = QStringLiteral("Mario Rossi");
    r.logState = log;
    r.actionState = QStringLiteral("FREE");
    r.lineState = QStringLiteral("IDLE");
    r.acdState = QStringLiteral("ACD_READY_FOR_THE_NEXT_CALL_NOW"); // longer than the column
    r.groups = {3};
    r.loginTime = QStringLiteral("08:30:00");
    return r;
}

struct Store : CampaignFixture {
    ExtensionTable table;
    LogList monitorList{QStringLiteral("ListaMonitor")};
    CtMonitorStore store{campaign.db(), log, table, dir.filePath(QStringLiteral("DEBUG-AGGDB.LOG")), [this] { return when; }};
    QDateTime when{QDate(2026, 12, 6), QTime(9, 0)};

    Store()
    {
        log.setDestination(Logger::Monitor, [this] { return &monitorList; });
    }
    QStringList row(int extension)
    {
        QSqlQuery q(campaign.db().handle());
        q.prepare(QStringLiteral("SELECT ID_Agent, Descrizione, statolog, statoAction, statoLinea, statoACD, gruppi,"
                                 " OraLogin, OraLogout FROM CT_Monitor WHERE Interno=?"));
        q.addBindValue(QString::number(extension));
        QStringList out;
        if (q.exec() && q.next()) {
            for (int i = 0; i < 9; ++i)
                out << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        }
        return out;
    }
    // Every later UPDATE of CT_Monitor fails.
    void refuseUpdates()
    {
        if (!campaign.db().isPostgres()) {
            sql(QStringLiteral("CREATE TRIGGER no_rewrite BEFORE UPDATE ON CT_Monitor BEGIN SELECT RAISE(ABORT, 'rewritten'); END"));
            return;
        }
        sql(QStringLiteral("CREATE OR REPLACE FUNCTION no_rewrite() RETURNS trigger LANGUAGE plpgsql"
                           " AS $$ BEGIN RAISE EXCEPTION 'rewritten'; END $$"));
        sql(QStringLiteral("CREATE TRIGGER no_rewrite BEFORE UPDATE ON CT_Monitor FOR EACH ROW EXECUTE FUNCTION no_rewrite()"));
    }
    void apply(const telephony::ExtensionRecord &r)
    {
        QVERIFY(table.applyExtension(r, when));
        store.schedule(r.number);
    }
};

} // namespace

class TestCtMonitorStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changesAreWrittenTogetherAfterAMoment();
    void onlyChangedRowsAreWritten();
    void aClosedDatabaseIsReportedOnce();
    void readBackFillsTheTableButNotOverWhatIsPending();
    void passwordIsABoundValue();
    void traceFileAtLevelOne();
    void oneFailingRowDoesNotLoseTheOthers();
};

void TestCtMonitorStore::changesAreWrittenTogetherAfterAMoment()
{
    Store s;
    s.table.applyGroup({3, 0, QStringLiteral("Recupero"), 0, 0, 0});
    s.apply(record(105, QStringLiteral("LOGGED_IN")));
    s.apply(record(106, QStringLiteral("PAUSED"), QStringLiteral("1002")));
    s.apply(record(105, QStringLiteral("WORKING"))); // the latest state wins
    QVERIFY(s.row(105).isEmpty()); // not yet
    QSignalSpy flushed(&s.store, &CtMonitorStore::flushed);
    QVERIFY(flushed.wait(20000));
    QCOMPARE(flushed.first().at(0).toInt(), 2);
    // A new row: every text cut to its column, no Null left anywhere.
    QCOMPARE(s.row(105), (QStringList{QStringLiteral("1001"), QStringLiteral("Mario Rossi"), QStringLiteral("WORKING"),
                                      QStringLiteral("FREE"), QStringLiteral("IDLE"), QStringLiteral("ACD_READY_FOR_THE_NE"),
                                      QStringLiteral(" Gruppo/i [[3] Recupero]"), QStringLiteral("08:30:00"), QString()}));
    QCOMPARE(s.row(106).value(2), QStringLiteral("PAUSED"));
    QCOMPARE(s.number(QStringLiteral("select count(*) from CT_Monitor where OraLogout is null")), 0);
}

void TestCtMonitorStore::onlyChangedRowsAreWritten()
{
    Store s;
    s.apply(record(110, QStringLiteral("LOGGED_IN")));
    s.apply(record(111, QStringLiteral("LOGGED_IN")));
    s.store.flush();
    // Groups and login time count as changes.
    telephony::ExtensionRecord moved = record(111, QStringLiteral("LOGGED_IN"));
    moved.groups = {4};
    s.apply(moved);
    s.store.flush();
    QCOMPARE(s.row(111).value(6), QStringLiteral(" Gruppo/i [[4] ]"));
    moved.loginTime = QStringLiteral("09:15:00");
    s.apply(moved);
    s.store.flush();
    QCOMPARE(s.row(111).value(7), QStringLiteral("09:15:00"));
    QVERIFY(!s.monitorList.lines().contains(QStringLiteral("Interno 111 INVARIATO")));

    // The same state again: the ACD text differs only beyond the column's size.
    s.refuseUpdates();
    telephony::ExtensionRecord again = record(110, QStringLiteral("LOGGED_IN"));
    again.acdState = QStringLiteral("ACD_READY_FOR_THE_NEXT_CALL_LATER");
    s.apply(again);
    QSignalSpy flushed(&s.store, &CtMonitorStore::flushed);
    s.store.flush();
    QCOMPARE(flushed.size(), 1);
    QCOMPARE(flushed.first().at(1).toInt(), 1);
    QVERIFY(s.monitorList.lines().contains(QStringLiteral("Interno 110 INVARIATO")));
    QVERIFY(s.monitorList.lines().filter(QStringLiteral("ERRORE DB")).isEmpty());
}

void TestCtMonitorStore::aClosedDatabaseIsReportedOnce()
{
    Store s;
    s.campaign.close();
    for (int i = 0; i < 3; ++i) {
        s.apply(record(120 + i, QStringLiteral("LOGGED_IN")));
        s.store.flush();
    }
    QCOMPARE(s.monitorList.lines().filter(QStringLiteral("CT_Monitor non aggiornato: database chiuso")).size(), 1);
    QVERIFY(!s.store.pending());
}

void TestCtMonitorStore::readBackFillsTheTableButNotOverWhatIsPending()
{
    Store s;
    s.sql(QStringLiteral("INSERT INTO CT_Monitor VALUES ('150', '77', 'Anna', 'PAUSED', 'BUSY', 'TALKING', 'x', '', '10:00:00', ''),"
                         " ('99', '1', 'fuori', 'LOGGED_IN', 'FREE', 'IDLE', '', '', '', ''),"
                         " ('301', '2', 'oltre', 'LOGGED_IN', 'FREE', 'IDLE', '', '', '', ''),"
                         " ('7', '7', 'abb.risp.', '12', '', '', '', '', '', ''), ('1x5', '3', 'nome', '', '', '', '', '', '', '')"));
    QSignalSpy changed(&s.table, &ExtensionTable::extensionChanged);
    QVERIFY(s.store.readBack());
    QCOMPARE(changed.size(), 1); // 99 and 301 have no row; an outcome counter and a name are no extension
    const ExtensionTable::Row &r = s.table.row(150);
    QCOMPARE(r[ExtensionTable::Agent], QStringLiteral("77"));
    QCOMPARE(r[ExtensionTable::LineState], QStringLiteral("TALKING"));
    QVERIFY(r[ExtensionTable::Display].startsWith(QStringLiteral("(77) Anna (PAUSED) (BUSY) (TALKING) (x) (login alle 10:00:00) agg.alle ")));
    QCOMPARE(s.monitorList.lines().last(), QStringLiteral("db reads"));

    // A newer state waits for its write when the link drops and the tick reads back.
    s.apply(record(150, QStringLiteral("LOGGED_IN")));
    QVERIFY(s.store.pending());
    QVERIFY(s.store.readBack());
    QCOMPARE(s.table.row(150)[ExtensionTable::LogState], QStringLiteral("LOGGED_IN"));
    QCOMPARE(s.row(150).value(2), QStringLiteral("LOGGED_IN"));
    // Read back again with nothing new: nobody is told of a change.
    changed.clear();
    QVERIFY(s.store.readBack());
    QCOMPARE(changed.size(), 0);
}

void TestCtMonitorStore::oneFailingRowDoesNotLoseTheOthers()
{
    Store s;
    // The database refuses extension 105's row, whatever the reason: a
    // trigger on SQLite, a constraint elsewhere.
    s.sql(s.campaign.db().isSqlite() ? QStringLiteral("CREATE TRIGGER refuse105 BEFORE INSERT ON CT_Monitor WHEN NEW.Interno = '105'"
                                                      " BEGIN SELECT RAISE(ABORT, 'rifiutato'); END")
                                     : QStringLiteral("ALTER TABLE CT_Monitor ADD CONSTRAINT refuse105 CHECK (Interno <> '105')"));
    for (int e : {104, 105, 106})
        s.apply(record(e, QStringLiteral("LOGGED_IN")));
    s.store.flush();
    QCOMPARE(s.row(104).value(2), QStringLiteral("LOGGED_IN"));
    QCOMPARE(s.row(106).value(2), QStringLiteral("LOGGED_IN"));
    QVERIFY(s.row(105).isEmpty());
    QCOMPARE(s.monitorList.lines().filter(QStringLiteral("ERRORE DB CT_Monitor Interno 105: ")).size(), 1);
    QCOMPARE(s.store.rowsWritten(), 2);
}

void TestCtMonitorStore::passwordIsABoundValue()
{
    Store s;
    s.sql(QStringLiteral("INSERT INTO esattori VALUES ('OP77', 'segreta')"));
    QCOMPARE(s.store.password(QStringLiteral("OP77")), QStringLiteral("segreta"));
    QCOMPARE(s.store.password(QStringLiteral("' OR '1'='1")), QString());
    QCOMPARE(s.store.password(QStringLiteral("999")), QString());
}

void TestCtMonitorStore::traceFileAtLevelOne()
{
    Store s;
    const QString trace = s.dir.filePath(QStringLiteral("DEBUG-AGGDB.LOG"));
    s.apply(record(130, QStringLiteral("LOGGED_IN")));
    s.store.flush();
    QVERIFY(!QFile::exists(trace));
    s.model.debugLevel.setText(QStringLiteral("1"));
    s.apply(record(130, QStringLiteral("PAUSED")));
    s.store.flush();
    QCOMPARE(readFile(trace), QByteArray("06/12/2026 09:00:00 Quo_Interni.id=130 op 1001 Stato PAUSED\r\n"));
}

QTEST_GUILESS_MAIN(TestCtMonitorStore)
#include "tst_ctmonitorstore.moc"
