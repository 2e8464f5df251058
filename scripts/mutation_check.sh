#!/usr/bin/env bash
# Breaks one key check at a time (a decoder's "too short" test, a bound, a
# binding, a redaction rule, a reconnection) and lists the tests that fail.
# A check no test notices is a hole in the suite; run it before and after a
# change to the tests and compare the two tables.
#
# Usage: scripts/mutation_check.sh SOURCE_TREE [ID...]
# Builds SOURCE_TREE/build with cmake --build and runs the tests that might
# notice; where builds share a lock, run the whole script under it. The
# sources are put back after each fault; the build is left to the next one.
# Prints: id | what | failing tests (or "NONE" / "NOT APPLIED").
set -uo pipefail
tree="$(cd "$1" && pwd)"; shift
only=" $* "
build() { # targets...
    cmake --build "$tree/build" --parallel 2 "$@" >/dev/null 2>&1
}
run_tests() { # names...
    local regex="^($(echo "$@" | tr ' ' '|'))\$"
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$tree/build" -R "$regex" --timeout 120 -j2 2>&1 |
        sed -n 's/^.* - \(tst_[a-z_0-9]*\) (\(Failed\|Timeout\|SEGFAULT\|Subprocess aborted\|Exception\|Not Run\).*$/\1/p' |
        sort -u | tr '\n' ' '
}

# The tests that might notice each kind of fault.
DL="tst_bodies tst_packetformat tst_requestreader tst_dispatch tst_dialerlink tst_outcomes tst_customers tst_queue"
WIRE="tst_framer tst_packetformat tst_requestreader tst_telephonyformat tst_pbxlines tst_monitorlink tst_operatorserver"
CT="tst_telephonyformat tst_monitorlink tst_operatorserver tst_extensiontable"
PBX="tst_pbxlines"
CON="tst_telnetcodec tst_vt100 tst_consolefuzz tst_console_loopback"
WEB="tst_httprequestreader tst_webstatus tst_metricsserver"
SQL="tst_ctmonitorstore tst_sqltext tst_customers tst_outcomes tst_groups tst_queue tst_counters"
RED="tst_preferences tst_headless tst_service_output"
REC="tst_monitorlink tst_operatorserver tst_pbxlines tst_console_loopback"
PAGE="tst_statuspage tst_webstatus tst_browser tst_headless"
AUX="tst_watchdog tst_watchdogwindow tst_ping tst_headless"
APP="tst_headless tst_service_output tst_console_headless"
PROC="tst_procedures tst_console_loopback tst_console_headless tst_consolewindow"
CAMP="tst_sqldialect tst_sqltext tst_customers tst_outcomes tst_queue tst_counters tst_groups tst_diagnosis tst_campaign_cycle tst_simulator tst_killrestart"
LINK="tst_requestreader tst_dispatch tst_dialerlink tst_emulator tst_queue tst_simulator"
OUT="tst_headless tst_stdout_socket"
JRN="tst_platform tst_service_output tst_headless"
CTM="tst_telephonyformat tst_extensiontable tst_monitortiles tst_layoutfile tst_monitorlink tst_operatorserver tst_ctmonitorstore tst_monitoractions tst_monitor_loopback tst_monitorwindows"
JPBX="tst_pbxlines tst_monitorlink tst_statuspage tst_monitorwindows"
CORE="tst_maintick tst_maincontroller tst_preferences tst_metrics tst_metricsserver tst_requestreader tst_dispatch tst_dialerlink"

# id|file|text to find (exactly once)|replacement|tests|what
mutations() {
cat <<'EOF'
D1|src/dialer_link/DialerBodies.cpp|if (body.size() < countAt + 4)|if (false)|DL|counted body: count field present
D2|src/dialer_link/DialerBodies.cpp|if ((body.size() - countAt - 4) / itemSize < count)|if (false)|DL|counted body: items present
D3|src/dialer_link/DialerBodies.cpp|if (count < 0)|if (false)|DL|counted body: negative count
D4|src/dialer_link/DialerBodies.cpp|if (body.size() < OperatorRequest::Size)|if (false)|DL|operator request too short
D5|src/dialer_link/DialerBodies.cpp|if (body.size() < GroupRelease::Size)|if (false)|DL|group release too short
D6|src/dialer_link/DialerBodies.cpp|if (body.size() < OperatorRelease::Size)|if (false)|DL|operator release too short
D7|src/dialer_link/PacketFormat.cpp|if (bytes.size() - at < kRecordIdSize)|if (false)|DL|identification record too short
D8|src/dialer_link/OutcomeRecord.cpp|if (body.size() < Size)|if (false)|DL|outcome record too short
W1|src/wire/PacketHeader.cpp|if (bytes.size() < kHeaderSize)|if (false)|WIRE|header too short
W2|src/wire/Framer.cpp|if (f.length < m_rules.minLength @OR@ f.length > m_rules.maxLength)|if (f.length > m_rules.maxLength)|WIRE|framing: length below the minimum
W3|src/wire/Framer.cpp|if (f.length < m_rules.minLength @OR@ f.length > m_rules.maxLength)|if (f.length < m_rules.minLength)|WIRE|framing: length above the maximum
T1|src/ct_monitor/TelephonyFormat.cpp|if (framed.size() < at + TimeRecord::Size)|if (false)|CT|monitor time record too short
T2|src/ct_monitor/TelephonyFormat.cpp|if (framed.size() < subAt + MonitorHeader::Size)|if (false)|CT|monitor sub-header too short
T3|src/ct_monitor/TelephonyFormat.cpp|if (body.size() < 4)|if (false)|CT|operator-server extension too short
T4|src/ct_monitor/TelephonyFormat.cpp|if (body.size() < OpCommandBody::Size)|if (false)|CT|operator-server command too short
O1|src/ct_monitor/TelephonyFormat.cpp|if (framed.size() < at)|if (false)|CT|operator-server reply too short
O2|src/ct_monitor/TelephonyFormat.cpp|if (body.size() < ReplyPair::Size)|if (false)|CT|reply 56001 too short
O3|src/ct_monitor/TelephonyFormat.cpp|if (body.size() % 4 != 0)|if (false)|CT|reply 56004 cut inside a number
P1|src/pbx_lines/PbxFormat.cpp|if (end < first)|if (false)|PBX|PBX lines block too short
P2|src/pbx_lines/PbxFormat.cpp|if (end < kBody + CallRecord::Integers)|if (false)|PBX|PBX call message too short
M1|src/ct_monitor/TelephonyFormat.cpp|const bool extended = out.header.code == ReplyCode @OR@ out.header.code == ReplyMessage;|const bool extended = out.header.code == ReplyMessage;|CT|reply 56002 skips its header extension
M2|src/ct_monitor/TelephonyFormat.cpp|const qsizetype bytes = std::min(announced,|const qsizetype bytes = std::min(framedAfterLength,|CT|monitor records walked as far as Len says
M3|src/ct_monitor/ExtensionTable.cpp|m_counters[1] += in && r[ActionState]|m_counters[1] += r[ActionState]|CT|free counter counts logged agents only
M4|src/ct_monitor/ExtensionTable.cpp|if (byText < 100 @OR@ byText > 399 @OR@ !hasRow(r.number))|if (!hasRow(r.number))|CT|extension kept only with a text 100..399
M5|src/pbx_lines/PbxMonitor.cpp|    && !c.text.toLower().contains(QStringLiteral("interno chiamante"))) {|) {|PBX|a caller's message is not a call
C1|src/console/TelnetCodec.cpp|else if (m_sub.size() < kSubLimit)|else|CON|telnet sub-negotiation bound
C2|src/console/Vt100Parser.cpp|if (m_sequence.count < kMaxParameters) {|if (true) {|CON|VT100 parameter count bound
H1|src/web_status/HttpRequestReader.cpp|if (m_buffer.size() <= kMaxRequest)|if (true)|WEB|HTTP request size bound
S1|src/campaign/CampaignDb.cpp|if (v.metaType().id() == QMetaType::QString && v.toString().isNull())|if (false)|SQL|SQL binding: empty text bound as text
S2|src/campaign/SqlText.cpp|v.replace(QLatin1Char('\''), QStringLiteral("''"));|;|SQL|SQL quoting of a value
R1|src/core/Redaction.cpp|if (charAt(text, i + 1) != close)|if (true)|RED|redaction: doubled quote inside a password
K1|src/campaign/CustomerClaims.cpp|contatore=? AND (FlagQuorin=0 or FlagQuorin is null)");|contatore=?");|CAMP|customer claim: a second server's mark
K2|src/campaign/OutcomeService.cpp|(duplicate @OR@ record(o, now, after, e))|(record(o, now, after, e))|CAMP|outcome reported again: stored once
K3|src/campaign/Counters.cpp|database[MainModel::InQueue]->add(n);|database[MainModel::InQueue]->add(0);|CAMP|queue counter follows sends and releases
K4|src/campaign/QueueService.cpp|if (m_ctx.ledger.contains(id))|if (true)|CAMP|queue release: this server's customers only
K5|src/campaign/SqlDialect.cpp|if (findTop(t, "FROM", from + 1) >= 0 @OR@ |if (|CAMP|UPDATE rewrite: a second FROM refused
F1|src/campaign/GroupsService.cpp|select  DISTINCT GRUPPO|select  GRUPPO|CAMP|groups reply: each group once
F2|src/campaign/QueueService.cpp|const int n = m_ctx.db.execute(kRilascia, error, {id});|const int n = 1;|CAMP|discard: the customer made available
F3|src/app/Composition.cpp|{packet::DiscardQuery, std::bind_front(&QueueService::riceviScartati, &queue, false)},||CAMP|group discard routed to its service
F4|src/app/Composition.cpp|{packet::FreeQueue, std::bind_front(&QueueService::liberaCodaGruppo, &queue)},||CAMP|group release routed to its service
F5|src/campaign/QueueService.cpp|m_ctx.model.customers[MainModel::CustomersRefused]->add(count);|;|CAMP|discard: refused customers counted
F6|src/campaign/CustomersService.cpp|if (!m_diagnoses)|if (true)|CAMP|empty answer: its diagnosis logged
F7|src/campaign/Counters.cpp| AND ([scadenza mandato] >= GETDATE()) AND (telefono1 IS NOT NULL)| AND (telefono1 IS NOT NULL)|CAMP|counters: an expired mandate is not to send
F8|src/dialer_link/PacketFormat.cpp|return {bodyLength + kMinRequestTotlen, -1, localPort, code, bodyLength + kRecordIdSize};|return {bodyLength + kMinRequestTotlen, -1, localPort, code, kRecordIdSize};|CAMP|reply header: Len counts the body
N1|src/wire/Reconnector.cpp|    m_retry.start(nextWaitMs());|    ;|REC|reconnection after a loss
N2|src/wire/Reconnector.cpp|    if (!m_down) {|    if (true) {|REC|link down said once
A1|src/web_status/StatusPage.cpp|for (int k = 1; k <= 80; ++k)|for (int k = 1; k <= 90; ++k)|PAGE|watchdog report: extensions 101 to 180
A2|src/auxiliary/Watchdog.cpp|if (p.socket->bytesToWrite() > kMaxPending) {|if (false) {|AUX|watchdog: a peer that never reads is bounded
A3|src/app/HeadlessCommands.cpp|m_prompts.answerQuestions(1); // typed on purpose|; //|APP|headless "Esci" answers its question Yes
A4|src/auxiliary/PingService.cpp|return text.leftJustified(30, QLatin1Char(' '), true);|return text;|AUX|ping status text thirty characters
A5|src/console/ConsoleProcedures.cpp|m_link.send(QStringLiteral("cd modules/pd"));|;|PROC|console procedure: cd modules/pd step
L1|src/core/MainTick.cpp|m_model.autoConnect.value() @OR@ state != socketstates::kClosed) {|m_model.autoConnect.value()) {|CORE|ping on idle only while the link is closed
L2|src/core/Preferences.cpp|LimiteEsitiNegativiTollerati), Settings::kDefaultLimiteEsitiNegativi)|LimiteEsitiNegativiTollerati), 0)|CORE|preference: zero limit takes the default
L3|src/dialer_link/RequestReader.cpp|return m_writer && m_writer->busy();|return false;|CORE|requests read only while the writer is idle
L4|src/core/Metrics.cpp|result == RequestResult::Unknown ? kOtherCode : code|code|CORE|metrics: unknown codes under one label
L5|src/dialer_link/Dispatcher.cpp|QStringLiteral("MSG SCONOSC=")|QStringLiteral("MSG SCONOSCIUTO=")|CORE|dispatcher: unknown code's log line
E1|src/dialer_link/RequestReader.cpp|Q_EMIT packetRead();|;|LINK|reader: idle clocks told of each packet
E2|src/dialer_link/RequestReader.cpp|traffic[MainModel::BytesReceived]->add(bytes.size());|traffic[MainModel::BytesReceived]->add(0);|LINK|reader: bytes received counted
E3|src/app/Composition.cpp|{packet::FreeQueueOp, std::bind_front(&QueueService::liberaCodaOperatore, &queue)},||LINK|operator release routed to its service
E7|src/dialer_link/PacketWriter.cpp|return !m_steps.empty() @OR@ m_waiting @OR@ m_socket.bytesToWrite() > 0;|return m_socket.bytesToWrite() > 0;|LINK|writer busy until its reply's last piece is out
E5|src/dialer_link/RequestReader.cpp|QString::number(std::max(0, length))|QString::number(length)|LINK|reader: a negative length logged as 0
E6|src/dialer_link/Emulator.cpp|list2(QStringLiteral("Ricevuti gruppi"), kRx, r.id);|;|LINK|built-in dialer: groups reply recognised
B1|src/platform/StandardOutput.cpp|} else if (S_ISFIFO(st.st_mode)) {|} else if (false) {|OUT|output to a slow pipe reader is bounded
B2|src/web_status/HttpRequestReader.cpp|        m_skipping = true;|        ;|WEB|status page: a long request's rest skipped
B3|src/web_status/StatusPage.cpp|out += QStringLiteral(" bgcolor=#800080> ");|out += QStringLiteral(" bgcolor=#800081> ");|PAGE|status page: an extension's colour
B4|src/web_status/MetricsServer.cpp|m_hooks.diagnosis(r.byOperator, r.who,|m_hooks.diagnosis(r.byOperator, QString(),|WEB|metrics port: the diagnosis asked for
B5|src/auxiliary/ui/WatchdogWindow.cpp|connect(&monitor.caption, &TextValue::textChanged, this, &QWidget::setWindowTitle);|;|AUX|watchdog window: title follows its caption
B6|src/platform/Journal.cpp|qulonglong(st.st_dev) == device && qulonglong(st.st_ino) == inode;|qulonglong(st.st_dev) == device;|JRN|journal: only the stream it names
G1|src/ct_monitor/MonitorCounters.cpp|main.database[MainModel::AgentsLogged]->set(c[0]);|main.database[MainModel::AgentsLogged]->set(c[1]);|CTM|monitor: agents logged on the main window
G2|src/ct_monitor/CtMonitor.cpp|connect(&monitor.reconnector(), &wire::Reconnector::attempted, &m_feed, &MonitorFeed::restart);|;|CTM|monitor: a new stream starts its configuration afresh
G3|src/ct_monitor/MonitorFeed.cpp|m_parts.store.schedule(r.number);|;|CTM|monitor: records reach CT_Monitor
G4|src/wire/FramedReader.cpp|if (!m_incomplete.isActive() && m_policy.timeoutMs)|if (false)|CTM|telephony links: a packet never completed is dropped
G5|src/wire/FramedReader.cpp|Q_EMIT realignExhausted();|;|CTM|monitor over UDP: a realignment run dry is said
G6|src/ct_monitor/MonitorTiles.cpp|setHighlight(i, match);|setHighlight(i, false);|CTM|monitor: a search highlights the tiles it finds
J1|src/wire/Framer.cpp|if (size() < total)|if (size() < kLengthField)|JPBX|framing: a packet waits for its last byte
J2|src/pbx_lines/LineTable.cpp|{12, "#800000"}|{12, "#800001"}|JPBX|PBX line colour of state 12
J3|src/pbx_lines/LineTable.cpp|{5, "#FFFF00"}|{5, "#FFFF01"}|JPBX|PBX line colour of state 5
J4|src/pbx_lines/PbxFormat.cpp|out.call.text = fixedtext::pulisciStringa(text);|out.call.text = QString::fromLatin1(text);|JPBX|PBX call text loses its NUL padding
J5|src/pbx_lines/PbxFormat.cpp|out.call.width = text.size();|out.call.width = 0;|JPBX|PBX call text width as sent
EOF
}

printf '%-3s | %-42s | %s\n' id check "failing tests"
while IFS='|' read -r id file from to set what; do
    [ "$only" != "  " ] && [[ "$only" != *" $id "* ]] && continue
    from="${from//@OR@/||}"; to="${to//@OR@/||}"
    path="$tree/$file"
    count=$(FROM="$from" perl -0ne '$n = () = /\Q$ENV{FROM}\E/g; print $n' "$path" 2>/dev/null || echo 0)
    if [ "$count" != 1 ]; then
        printf '%-3s | %-42s | NOT APPLIED (%s matches)\n' "$id" "$what" "$count"; continue
    fi
    cp "$path" "$path.orig"
    FROM="$from" TO="$to" perl -0pi -e 's/\Q$ENV{FROM}\E/$ENV{TO}/' "$path"
    # shellcheck disable=SC2086
    if build --target ${!set}; then failed=$(run_tests ${!set}); else failed="BUILD FAILED"; fi
    mv "$path.orig" "$path"; touch "$path"
    printf '%-3s | %-42s | %s\n' "$id" "$what" "${failed:-NONE}"
done < <(mutations)
