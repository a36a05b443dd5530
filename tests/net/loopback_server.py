#!/usr/bin/env python3
"""Loopback peers for the network tests, started and stopped by the tests themselves.

Writes KEY=VALUE lines to the state file given as the first argument:
  HTTP_PORT     an HTTP server: /text, /bytes, /missing (404), and /held, which answers
                "rilasciato" only once the file STATE_FILE.release exists (at most after
                two minutes): a transfer that waits exactly as long as a test wants
  HANG_PORT     accepts connections and never answers
  REFUSED_PORT  a port nobody listens on
and keeps, for every listener named on the command line as ADDRESS:PORT, the number of
connections it accepted in ACCEPTS_<ADDRESS>_<PORT> lines (rewritten after each one).
A listener written ADDRESS:PORT:full has a full backlog: connection attempts to it hang.
Runs until killed, or for at most ten minutes.
"""
import http.server
import os
import socket
import sys
import threading
import time

state_file = sys.argv[1]
state = {}
lock = threading.Lock()


def save():
    with lock:
        tmp = state_file + ".tmp"
        with open(tmp, "w") as f:
            for k, v in state.items():
                f.write(f"{k}={v}\n")
        os.replace(tmp, state_file)


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        if self.path == "/held":
            started = time.time()
            while not os.path.exists(state_file + ".release") and time.time() - started < 120:
                time.sleep(0.05)
            body, status, kind = "rilasciato".encode("ascii"), 200, "text/plain"
        elif self.path == "/text":
            body, status, kind = "Ciao dal server di prova".encode("ascii"), 200, "text/plain"
        elif self.path == "/bytes":
            body, status, kind = bytes(range(256)), 200, "application/octet-stream"
        else:
            body, status, kind = b"non trovato", 404, "text/plain"
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("X-Ondrik-Test", "si")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def serve_http():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    state["HTTP_PORT"] = server.server_address[1]
    threading.Thread(target=server.serve_forever, daemon=True).start()


def hang_listener():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    s.listen(16)
    state["HANG_PORT"] = s.getsockname()[1]
    held = []

    def run():
        while True:
            conn, _ = s.accept()
            held.append(conn)  # never answered, never closed

    threading.Thread(target=run, daemon=True).start()


def refused_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    state["REFUSED_PORT"] = port


def counting_listener(address, port):
    key = f"ACCEPTS_{address}_{port}"
    state[key] = 0
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((address, port))
    s.listen(16)

    def run():
        while True:
            conn, _ = s.accept()
            with lock:
                state[key] += 1
            save()
            conn.close()

    threading.Thread(target=run, daemon=True).start()


def full_listener(address, port):
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((address, port))
    s.listen(0)
    filler = []
    for _ in range(3):  # fill the backlog: later attempts get no answer
        c = socket.socket()
        c.setblocking(False)
        try:
            c.connect((address, port))
        except BlockingIOError:
            pass
        filler.append(c)
    state[f"FULL_{address}_{port}"] = 1
    return s, filler


serve_http()
hang_listener()
refused_port()
kept = []
for spec in sys.argv[2:]:
    parts = spec.split(":")
    if len(parts) == 3 and parts[2] == "full":
        kept.append(full_listener(parts[0], int(parts[1])))
    else:
        counting_listener(parts[0], int(parts[1]))
save()
time.sleep(600)
