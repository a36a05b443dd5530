#!/usr/bin/env python3
"""The network peers the reference's examples talk to, at fixed addresses since the examples
name them: a web server at http://localhost:7480/ (/saluto.txt, /caffe.txt in UTF-8, 404
for anything else) and a listener on 127.0.0.1:7400 (the first port RisolviIndirizzo tries).
Fixed addresses are shared by every run on this machine, so a run holds a lock on them
until it ends (another run waits). Writes "ready" to the file given once it serves, and
ends when killed or after ten minutes.
"""
import fcntl
import http.server
import socket
import sys
import threading
import time

PAGES = {"/saluto.txt": "Buongiorno dal server".encode("ascii"), "/caffe.txt": "caffè".encode("utf-8")}


class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        body, status = (PAGES[self.path], 200) if self.path in PAGES else (b"non trovato", 404)
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    lock = open("/tmp/ondrik-reference-examples.lock", "w")
    fcntl.flock(lock, fcntl.LOCK_EX)
    http.server.ThreadingHTTPServer.allow_reuse_address = True
    web = http.server.ThreadingHTTPServer(("127.0.0.1", 7480), Handler)
    threading.Thread(target=web.serve_forever, daemon=True).start()
    listener = socket.socket()
    listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    listener.bind(("127.0.0.1", 7400))
    listener.listen(16)

    def accept():
        while True:
            connection, _ = listener.accept()
            connection.close()

    threading.Thread(target=accept, daemon=True).start()
    with open(sys.argv[1], "w") as f:
        f.write("ready\n")
    time.sleep(600)


if __name__ == "__main__":
    main()
