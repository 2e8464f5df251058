#!/usr/bin/env python3
"""Standard output on a socket (as under systemd's journal) that stops being
read: the program goes on serving (its metrics port answers), drops whole
lines, and says how many once the reader reads again."""
import argparse
import os
import re
import select
import socket
import subprocess
import sys
import tempfile
import time
import urllib.request


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def read_until(sock, pattern, seconds=30.0):
    """Reads from the socket until `pattern` appears; returns (match, all read)."""
    got = b""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ready, _, _ = select.select([sock], [], [], max(0.0, deadline - time.monotonic()))
        if ready:
            chunk = sock.recv(65536)
            if not chunk:
                break
            got += chunk
            m = re.search(pattern, got)
            if m:
                return m, got
    fail("never read %r" % pattern)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--server", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        with open(os.path.join(folder, "conn_quorin.ini"), "wb") as f:
            f.write(b"[Settings]\r\nnodb=1\r\nMetricsPort=0\r\n")
        os.makedirs(os.path.join(folder, "dati"))
        with open(os.path.join(folder, "dati", "tm40.ini"), "wb") as f:
            f.write(b"[datiserver]\r\nconnstring=dsn=demo\r\n")
        ours, theirs = socket.socketpair(socket.AF_UNIX, socket.SOCK_STREAM)
        # Small buffers, so that a burst fills them at once.
        theirs.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 4096)
        ours.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        program = subprocess.Popen([args.server, "--headless", "--app-dir", folder], stdout=theirs, stdin=subprocess.PIPE)
        theirs.close()
        try:
            m, _ = read_until(ours, rb"METRICHE IN ASCOLTO SU PORTA (\d+)")
            port = int(m.group(1))
            # Some 10 MB of command lists while nobody reads.
            program.stdin.write(b"?\n" * 3000)
            program.stdin.flush()
            # Still served: every page answers while the output waits.
            for _ in range(20):
                with urllib.request.urlopen("http://127.0.0.1:%d/metrics" % port, timeout=20) as r:
                    if r.status != 200:
                        fail("metrics answered %d" % r.status)
            if program.poll() is not None:
                fail("the program ended")
            # The reader reads again: whole lines, and the count of those lost.
            m, got = read_until(ours, rb"Output \| (\d+) righe non scritte: lettore troppo lento\n", 60)
            if int(m.group(1)) < 10000:
                fail("only %s lines dropped" % m.group(1))
            for line in got.split(b"\n")[:-1]:
                if b" | " not in line:
                    fail("a broken line: %r" % line[:80])
            print("stdout on a socket: %s lines dropped, %d bytes read" % (m.group(1), len(got)))
        finally:
            program.terminate()
            try:
                program.wait(20)
            except subprocess.TimeoutExpired:
                program.kill()
                fail("the program did not end on SIGTERM")
        if program.returncode != 0:
            fail("exit status %d" % program.returncode)


if __name__ == "__main__":
    main()
