#!/usr/bin/env python3
"""Standard output on a socket (as under systemd's journal) or a pipe that
stops being read: the program goes on serving (its metrics port answers),
drops whole lines within its bound, and says how many once the reader reads
again."""
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


def read_until(fd, pattern, seconds=30.0):
    """Reads from `fd` until `pattern` appears; returns (match, all read)."""
    got = b""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
        if ready:
            chunk = os.read(fd, 65536)
            if not chunk:
                break
            got += chunk
            m = re.search(pattern, got)
            if m:
                return m, got
    fail("never read %r" % pattern)


def reader_and_writer(kind):
    """Our end and the program's end of its standard output."""
    if kind == "pipe":
        return os.pipe()
    ours, theirs = socket.socketpair(socket.AF_UNIX, socket.SOCK_STREAM)
    # Small buffers, so that a burst fills them at once.
    theirs.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 4096)
    ours.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    return ours.detach(), theirs.detach()


def check(server, folder, kind):
    ours, theirs = reader_and_writer(kind)
    program = subprocess.Popen([server, "--headless", "--app-dir", folder], stdout=theirs, stdin=subprocess.PIPE)
    os.close(theirs)
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
                    fail("%s: metrics answered %d" % (kind, r.status))
        if program.poll() is not None:
            fail("%s: the program ended" % kind)
        # The reader reads again: whole lines, and the count of those lost.
        m, got = read_until(ours, rb"Output \| (\d+) righe non scritte: lettore troppo lento\n", 60)
        if int(m.group(1)) < 10000:
            fail("%s: only %s lines dropped" % (kind, m.group(1)))
        if len(got) > 3 * 1024 * 1024:  # the reader's buffer, the bound and the notice
            fail("%s: %d bytes held for the reader" % (kind, len(got)))
        for line in got.split(b"\n")[:-1]:
            if b" | " not in line:
                fail("%s: a broken line: %r" % (kind, line[:80]))
        print("stdout on a %s: %s lines dropped, %d bytes read" % (kind, m.group(1).decode(), len(got)))
    finally:
        program.terminate()
        try:
            program.wait(20)
        except subprocess.TimeoutExpired:
            program.kill()
            fail("%s: the program did not end on SIGTERM" % kind)
        os.close(ours)
    if program.returncode != 0:
        fail("%s: exit status %d" % (kind, program.returncode))


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
        # A socket (the journal) and a pipe are written in different ways.
        for kind in ("socket", "pipe"):
            check(args.server, folder, kind)


if __name__ == "__main__":
    main()
