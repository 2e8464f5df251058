#!/usr/bin/env python3
"""The metrics page of a running program, read with the Prometheus client's
own text-format parser while the dialer simulator drives the program: every
family parses with its type, and the counters move as the dialer works. The
alert rules and the dashboard shipped for it name only metrics the page
exports, and the rules pass promtool's check and their own unit tests. In
the same run, no password of the connection string reaches anything the
program prints, writes or serves (pages, watchdog report, files)."""
import argparse
import json
import os
import re
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

from prometheus_client.parser import text_string_to_metric_families


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def wait_for(predicate, seconds=30.0, what="a condition"):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)  # polling a process from outside: there is no signal to wait on
    fail("timed out waiting for " + what)


class Lines:
    """A process's standard output, read on a thread of its own."""

    def __init__(self, stream):
        self.lines = []
        self.lock = threading.Lock()
        self.thread = threading.Thread(target=self._read, args=(stream,), daemon=True)
        self.thread.start()

    def _read(self, stream):
        for raw in stream:
            with self.lock:
                self.lines.append(raw.decode("utf-8", "replace").rstrip("\n"))

    def text(self):
        """Everything, once the stream has ended."""
        self.thread.join(20)
        with self.lock:
            return "\n".join(self.lines)

    def find(self, pattern):
        with self.lock:
            for line in self.lines:
                m = re.search(pattern, line)
                if m:
                    return m
        return None


def scrape(port, path="/metrics"):
    with urllib.request.urlopen("http://127.0.0.1:%d%s" % (port, path), timeout=20) as r:
        return r.status, r.headers.get("Content-Type"), r.read().decode("utf-8")


def samples(text):
    families = {}
    values = {}
    for family in text_string_to_metric_families(text):
        families[family.name] = family.type
        for s in family.samples:
            values[(s.name, tuple(sorted(s.labels.items())))] = s.value
    return families, values


def total(values, name, **labels):
    want = set(labels.items())
    return sum(v for (n, l), v in values.items() if n == name and want <= set(l))


def exported_names(text):
    """Every sample name the page can carry, from its TYPE lines."""
    names = set()
    for line in text.splitlines():
        if line.startswith("# TYPE "):
            _, _, name, kind = line.split(" ")
            names.add(name)
            if kind == "histogram":
                names.update(name + suffix for suffix in ("_bucket", "_sum", "_count"))
    return names


def check_monitoring(text, rules, rules_test, dashboard, promtool):
    rules, rules_test = os.path.abspath(rules), os.path.abspath(rules_test)
    for command in ([promtool, "check", "rules", rules], [promtool, "test", "rules", rules_test]):
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, cwd=os.path.dirname(rules_test))
        if done.returncode != 0:
            fail("%s: %s" % (" ".join(command[1:3]), done.stdout.decode("utf-8", "replace")))
    with open(dashboard, encoding="utf-8") as f:
        panels = json.load(f)["panels"]
    expressions = [t["expr"] for p in panels for t in p["targets"]]
    with open(rules, encoding="utf-8") as f:
        expressions.append(f.read())
    named = set(re.findall(r"\bquorin_[a-z_]+", "\n".join(expressions)))
    missing = named - exported_names(text)
    if missing:
        fail("the rules or the dashboard name metrics the program does not export: %s" % sorted(missing))
    return named


def check_no_password_served(program, out, watchdog, web_port):
    """The status page, the watchdog's report and the answers to typed
    commands, read; the program stopped. What it served."""
    with urllib.request.urlopen("http://127.0.0.1:%d/ct_monitor" % web_port, timeout=20) as r:
        served = r.read().decode("latin-1")
    watchdog.settimeout(30)
    peer, _ = watchdog.accept()  # it may have come long ago: it waits in the backlog
    with peer:
        peer.settimeout(30)
        served += peer.recv(65536).decode("latin-1")
    program.stdin.write(b"Test Query Gruppo 1\nDiagnosi Gruppo 1\nGruppi/Operatori\n")
    program.stdin.flush()
    wait_for(lambda: out.find(r"DIAGNOSI "), what="the diagnosis typed")
    program.terminate()
    program.wait(20)
    return served


def check_no_password_left(folder, password, said, out):
    if not out.find(r"APRO DB Provider=SQLite;Data Source=[^;]*;Password=\*\*\*"):
        fail("the database's opening not told, or not with its password hidden")
    if password in said:
        fail("the password was printed or served")
    written = []
    for root, _, names in os.walk(folder):
        for name in names:
            if name == "tm40.ini":
                continue
            with open(os.path.join(root, name), "rb") as f:
                if password.encode() in f.read():
                    fail("the password is in %s" % os.path.join(root, name))
            written.append(name)
    for name in ("DEBUG.TXT", "richieste.htm", time.strftime("%d-%m-%Y") + ".LOG"):
        if name not in written:
            fail("%s not written: %s" % (name, sorted(written)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", required=True)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--rules", required=True)
    parser.add_argument("--rules-test", required=True)
    parser.add_argument("--dashboard", required=True)
    parser.add_argument("--promtool", required=True)
    args = parser.parse_args()

    password = "Run-Pw-4217"
    with tempfile.TemporaryDirectory() as folder:
        database = os.path.join(folder, "campaign.sqlite")
        os.makedirs(os.path.join(folder, "web"))  # where the request log goes
        watchdog = socket.create_server(("127.0.0.1", 0))
        with socket.create_server(("127.0.0.1", 0)) as probe:
            web_port = probe.getsockname()[1]
        subprocess.run([args.server, "--create-demo-db", database, "--customers", "3000"], check=True,
                       stdout=subprocess.DEVNULL)
        sim = subprocess.Popen([args.sim, "--seconds", "120", "--quantity", "20"], stdout=subprocess.PIPE)
        sim_out = Lines(sim.stdout)
        program = None
        try:
            sim_port = int(wait_for(lambda: sim_out.find(r"listening on (\d+)"), what="the simulator").group(1))
            with open(os.path.join(folder, "conn_quorin.ini"), "wb") as f:
                f.write(b"[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=%d\r\nAutoConnect=1\r\nMetricsPort=0\r\ndebug=2\r\n"
                        b"PortaWeb=%d\r\nWatchDogIP0=127.0.0.1\r\nPortaWatchDog=%d\r\n" % (sim_port, web_port, watchdog.getsockname()[1]))
            with open(os.path.join(folder, "tm40.ini"), "wb") as f:
                f.write(b"[datiserver]\r\nconnstring=Provider=SQLite;Data Source=" + database.encode()
                        + b";Password=" + password.encode() + b"\r\n")
            program = subprocess.Popen([args.server, "--headless", "--app-dir", folder, "--shared-dir", folder,
                                        "--root-dir", folder, "FAST"], stdout=subprocess.PIPE, stdin=subprocess.PIPE,
                                       stderr=subprocess.PIPE)
            out = Lines(program.stdout)
            err = Lines(program.stderr)
            port = int(wait_for(lambda: out.find(r"METRICHE IN ASCOLTO SU PORTA (\d+)"), what="the metrics port").group(1))

            status, content_type, first_text = scrape(port)
            if status != 200 or not content_type.startswith("text/plain; version=0.0.4"):
                fail("metrics answer %s %s" % (status, content_type))
            families, first = samples(first_text)
            expected = {
                "quorin_requests": "counter", "quorin_customers_delivered": "counter",
                "quorin_outcomes_acknowledged": "counter", "quorin_database_errors": "counter",
                "quorin_queue_releases": "counter", "quorin_customers_refused": "counter",
                "quorin_request_duration_seconds": "histogram", "quorin_outcome_duration_seconds": "histogram",
                "quorin_link_up": "gauge", "quorin_link_state": "gauge", "quorin_campaign_customers": "gauge",
                "quorin_reply_queue_bytes": "gauge",
            }
            for name, kind in expected.items():
                if families.get(name) != kind:
                    fail("family %s is %s, expected %s" % (name, families.get(name), kind))
            watched = check_monitoring(first_text, args.rules, args.rules_test, args.dashboard, args.promtool)

            # The dialer works: the counters move.
            def moved():
                _, now = samples(scrape(port)[2])
                return now if total(now, "quorin_outcomes_acknowledged_total") >= 200 else None
            later = wait_for(moved, 60, "200 acknowledged outcomes")
            for name in ("quorin_requests_total", "quorin_customers_delivered_total",
                         "quorin_outcomes_acknowledged_total", "quorin_outcome_duration_seconds_count"):
                if not total(later, name) > total(first, name):
                    fail("%s did not move: %s -> %s" % (name, total(first, name), total(later, name)))
            if total(later, "quorin_link_up", link="dialer") != 1:
                fail("the dialer link is not shown up")
            if total(later, "quorin_requests_total", result="served") < total(later, "quorin_outcomes_acknowledged_total"):
                fail("fewer requests served than outcomes acknowledged")
            # Every request read is timed once its replies are out (one may be under way).
            timed = total(later, "quorin_request_duration_seconds_count")
            read = total(later, "quorin_requests_total")
            if not read - 2 <= timed <= read:
                fail("%s requests timed for %s read" % (timed, read))
            # A histogram's +Inf bucket is its count.
            inf = total(later, "quorin_outcome_duration_seconds_bucket", le="+Inf")
            if inf != total(later, "quorin_outcome_duration_seconds_count"):
                fail("+Inf bucket %s is not the count" % inf)

            status, _, text = scrape(port, "/diagnosi?gruppo=1")
            if status != 200 or not text.startswith("Gruppo 1\n") or "inviabili" not in text:
                fail("diagnosis page: %r" % text[:200])
            served = check_no_password_served(program, out, watchdog, web_port) + first_text + text
            check_no_password_left(folder, password, out.text() + err.text() + served, out)
            print("metrics page parsed: %d families; %d outcomes acknowledged, %d customers delivered; "
                  "%d metrics named by the rules and the dashboard, all exported" % (
                      len(families), total(later, "quorin_outcomes_acknowledged_total"),
                      total(later, "quorin_customers_delivered_total"), len(watched)))
        finally:
            if program:
                program.terminate()
                program.wait(20)
            sim.terminate()
            sim.wait(20)


if __name__ == "__main__":
    main()
