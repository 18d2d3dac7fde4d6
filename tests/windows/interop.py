#!/usr/bin/env python3
"""The Windows programs under Wine against the Linux ones, over loopback.

usage: interop.py LINUX_BUILD WINDOWS_BUILD WINE_RUN

A search by querytool-cli against dbp-terminal-sim, three times: both Linux,
the Windows cli against the Linux simulator, the Linux cli against the
Windows simulator. Every UDP datagram of each exchange is captured on the
loopback device; each mixed exchange must carry exactly the datagrams (source,
destination, ports, bytes) and print exactly the table of the Linux one.
Runs as root in a private network namespace (make test-windows)."""
import os
import signal
import socket
import struct
import subprocess
import sys
import threading

SIM_PORT, TOOL_PORT = 59137, 59138


class Capture:
    """UDP datagrams as the loopback device delivers them (not as sent)."""

    def __init__(self):
        self.sock = socket.socket(socket.AF_PACKET, socket.SOCK_RAW, socket.htons(3))
        self.sock.bind(("lo", 0))
        self.sock.settimeout(0.2)
        self.datagrams, self.running = [], True
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        while self.running:
            try:
                frame, (_, _, kind, _, _) = self.sock.recvfrom(65536)
            except socket.timeout:
                continue
            ip = frame[14:]
            if kind == socket.PACKET_OUTGOING or len(ip) < 28 or ip[9] != 17:
                continue
            header = (ip[0] & 15) * 4
            sport, dport = struct.unpack("!HH", ip[header:header + 4])
            if not {sport, dport} & {SIM_PORT, TOOL_PORT}:
                continue
            self.datagrams.append((socket.inet_ntoa(ip[12:16]), sport, socket.inet_ntoa(ip[16:20]), dport,
                                   bytes(ip[header + 8:])))

    def stop(self):
        self.running = False
        self.thread.join()
        self.sock.close()
        return sorted(self.datagrams)


def exchange(cli, sim):
    capture = Capture()
    simulator = subprocess.Popen(sim + ["--port", str(SIM_PORT), "--terminals", "12", "--seed", "21"],
                                 stdout=subprocess.PIPE, text=True, start_new_session=True)
    try:
        announced = simulator.stdout.readline()
        if not announced.startswith("port %d " % SIM_PORT):
            sys.exit("simulator did not start: %r" % announced)
        env = dict(os.environ, DBP_BROADCAST_ADDR="127.255.255.255", DBP_TERMINAL_PORT=str(SIM_PORT),
                   DBP_LOCAL_PORT=str(TOOL_PORT))
        table = subprocess.run(cli + ["scan", "--format", "csv"], env=env, capture_output=True, timeout=120)
    finally:
        if simulator.poll() is None:
            os.killpg(simulator.pid, signal.SIGTERM)
        simulator.wait()
        datagrams = capture.stop()
    return table.returncode, table.stdout, datagrams


def main():
    linux, windows, wine = sys.argv[1:4]
    programs = {
        "cli": ([linux + "/cli/querytool-cli"], [wine, windows + "/cli/querytool-cli.exe"]),
        "sim": ([linux + "/tools/terminal-sim/dbp-terminal-sim"],
                [wine, windows + "/tools/terminal-sim/dbp-terminal-sim.exe"]),
    }
    reference = exchange(programs["cli"][0], programs["sim"][0])
    if reference[0] != 0 or len(reference[2]) < 13:
        sys.exit("the Linux programs alone did not search: %r" % (reference[:2],))
    failed = False
    for name, cli, sim in (("Windows cli, Linux simulator", programs["cli"][1], programs["sim"][0]),
                           ("Linux cli, Windows simulator", programs["cli"][0], programs["sim"][1])):
        result = exchange(cli, sim)
        for what, index in (("exit code", 0), ("table", 1), ("datagrams", 2)):
            if result[index] != reference[index]:
                failed = True
                print("%s: %s differs\n  Linux: %r\n  here:  %r" % (name, what, reference[index], result[index]))
        print("%s: %d datagrams compared" % (name, len(result[2])))
    sys.exit(1 if failed else 0)


main()
