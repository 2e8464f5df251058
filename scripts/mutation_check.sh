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
SQL="tst_sqltext tst_customers tst_outcomes tst_groups tst_queue tst_counters"
RED="tst_preferences tst_headless tst_service_output"
REC="tst_monitorlink tst_operatorserver tst_pbxlines tst_console_loopback"
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
C1|src/console/TelnetCodec.cpp|else if (m_sub.size() < kSubLimit)|else|CON|telnet sub-negotiation bound
C2|src/console/Vt100Parser.cpp|if (m_sequence.count < kMaxParameters) {|if (true) {|CON|VT100 parameter count bound
H1|src/web_status/HttpRequestReader.cpp|if (m_buffer.size() <= kMaxRequest)|if (true)|WEB|HTTP request size bound
S1|src/campaign/CampaignDb.cpp|if (v.metaType().id() == QMetaType::QString && v.toString().isNull())|if (false)|SQL|SQL binding: empty text bound as text
S2|src/campaign/SqlText.cpp|v.replace(QLatin1Char('\''), QStringLiteral("''"));|;|SQL|SQL quoting of a value
R1|src/core/Redaction.cpp|if (charAt(text, i + 1) != close)|if (true)|RED|redaction: doubled quote inside a password
N1|src/wire/Reconnector.cpp|    m_retry.start(nextWaitMs());|    ;|REC|reconnection after a loss
N2|src/wire/Reconnector.cpp|    if (!m_down) {|    if (true) {|REC|link down said once
L1|src/core/MainTick.cpp|m_model.autoConnect.value() @OR@ state != socketstates::kClosed) {|m_model.autoConnect.value()) {|CORE|ping on idle only while the link is closed
L2|src/core/Preferences.cpp|LimiteEsitiNegativiTollerati), Settings::kDefaultLimiteEsitiNegativi)|LimiteEsitiNegativiTollerati), 0)|CORE|preference: zero limit takes the default
L3|src/dialer_link/RequestReader.cpp|return m_writer && m_writer->busy();|return false;|CORE|requests read only while the writer is idle
L4|src/core/Metrics.cpp|result == RequestResult::Unknown ? kOtherCode : code|code|CORE|metrics: unknown codes under one label
L5|src/dialer_link/Dispatcher.cpp|QStringLiteral("MSG SCONOSC=")|QStringLiteral("MSG SCONOSCIUTO=")|CORE|dispatcher: unknown code's log line
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
