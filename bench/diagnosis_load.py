#!/usr/bin/env python3
"""The dialer's groups request while the metrics port is asked for diagnoses.

Plays the dialer (it listens, the program connects to it), starts the program
on a demo database, and times the groups request (70000 -> 70100) back to
back (FAST: no pauses between packets): first alone, then while CLIENTS clients ask /diagnosi in a loop, each
for the groups and operators of the demo in turn. Prints p50, p99 and the
worst latency of each phase, and what the diagnosis clients got.

  python3 bench/diagnosis_load.py --server build/src/app/quorin-db-server \\
      --database /tmp/demo-1M.sqlite [--clients 50] [--seconds 30]
"""
import argparse
import multiprocessing
import os
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time

GROUPS, GROUP_LIST = 70000, 70100


def packet(code, ident, body=b""):
    head = struct.pack(">i", 40 + len(body)) + struct.pack("<iiii", 0, 12000, code, 24 + len(body))
    return head + struct.pack("<i", ident) + b"BENCH".ljust(20, b"\0") + body


def read_packet(conn):
    def exactly(n):
        data = b""
        while len(data) < n:
            chunk = conn.recv(n - len(data))
            if not chunk:
                raise EOFError("the program closed the link")
            data += chunk
        return data
    totlen = struct.unpack(">i", exactly(4))[0]
    rest = exactly(totlen)
    code = struct.unpack("<i", rest[8:12])[0]
    ident = struct.unpack("<i", rest[16:20])[0] if len(rest) >= 20 else 0
    return code, ident


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(len(ordered) * p / 100))]


def time_groups(conn, seconds, ident):
    latencies = []
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ident += 1
        start = time.perf_counter()
        conn.sendall(packet(GROUPS, ident))
        while True:
            code, got = read_packet(conn)
            if code == GROUP_LIST and got == ident:
                break
        latencies.append((time.perf_counter() - start) * 1000)
        time.sleep(0.005)  # a dialer asks now and then, not flat out
    return latencies, ident


def ask_diagnoses(port, subjects, stop, counts, lock):
    i = 0
    while not stop.is_set():
        path = subjects[i % len(subjects)]
        i += 1
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=30) as s:
                s.sendall(("GET %s HTTP/1.0\r\n\r\n" % path).encode())
                answer = b""
                while True:
                    chunk = s.recv(65536)
                    if not chunk:
                        break
                    answer += chunk
            status = answer[9:12].decode() if answer.startswith(b"HTTP/") else "closed"
        except OSError:
            status = "refused"
        with lock:
            counts[status] = counts.get(status, 0) + 1
        if status != "200":
            time.sleep(0.05)  # turned away: a client tries again a little later


def diagnosis_clients(port, clients, subjects, stop, result):
    os.nice(10)  # the load's own CPU is the bench's, not the program's: it yields first
    counts, lock = {}, threading.Lock()
    threads = [threading.Thread(target=ask_diagnoses, args=(port, subjects[k:] + subjects[:k], stop, counts, lock))
               for k in range(clients)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    result.update(counts)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", required=True)
    parser.add_argument("--database", required=True, help="a demo database (copied, never changed)")
    parser.add_argument("--clients", type=int, default=50)
    parser.add_argument("--seconds", type=float, default=30)
    args = parser.parse_args()

    work = tempfile.mkdtemp()
    program = None
    try:
        os.makedirs(os.path.join(work, "dati"))
        shutil.copy(args.database, os.path.join(work, "dati", "campaign.sqlite"))
        with open(os.path.join(work, "dati", "tm40.ini"), "wb") as f:
            f.write(b"[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n")
        dialer = socket.socket()
        dialer.bind(("127.0.0.1", 0))
        dialer.listen(1)
        metrics = free_port()
        with open(os.path.join(work, "conn_quorin.ini"), "wb") as f:
            f.write(("[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=%d\r\nAutoConnect=1\r\nPortaWeb=0\r\n"
                     "MetricsPort=%d\r\n" % (dialer.getsockname()[1], metrics)).encode())
        log = open(os.path.join(work, "server.log"), "wb")
        program = subprocess.Popen([args.server, "--headless", "--app-dir", work, "FAST"], stdout=log, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL)
        dialer.settimeout(60)
        conn, _ = dialer.accept()
        conn.settimeout(120)
        read_packet(conn)  # DBOK
        subjects = ["/diagnosi?gruppo=%d" % g for g in range(1, 7)] + \
                   ["/diagnosi?operatore=%d" % op for op in range(140, 152)]
        quiet, ident = time_groups(conn, args.seconds, 0)
        stop = multiprocessing.Event()
        with multiprocessing.Manager() as manager:
            result = manager.dict()
            load = multiprocessing.Process(target=diagnosis_clients,
                                           args=(metrics, args.clients, subjects, stop, result))
            load.start()
            time.sleep(2)  # every client under way
            loaded, ident = time_groups(conn, args.seconds, ident)
            stop.set()
            load.join()
            answers = dict(result)
        for name, values in (("alone", quiet), ("with %d diagnosis clients" % args.clients, loaded)):
            print("groups request %-28s n %5d  p50 %8.2f ms  p99 %8.2f ms  max %8.2f ms" % (
                name, len(values), percentile(values, 50), percentile(values, 99), max(values)))
        print("diagnosis clients got: " + ", ".join("%s %d" % kv for kv in sorted(answers.items())))
    finally:
        if program:
            program.terminate()
            program.wait(60)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
