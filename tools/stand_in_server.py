#!/usr/bin/python3
"""Stands in for the maker's web server during tests and the run command.

Answers, on 127.0.0.1 only:
  GET /request/count.php?...      200 "OK\\n"
  GET /kestravin/update/ver.php   the configured version reply
                                  (default "1#<base>/files/KestravinSetup.exe")
  GET /files/<name>               a file of --files DIR, 404 otherwise
  GET /lines                      "one\\ntwo\\nthree\\n"
  GET /stall                      accepts and never answers
  GET /partial                    announces 1000 bytes, sends 10, then stalls
  GET /trickle?bytes=N&every=S    sends N body bytes one at a time, S seconds apart
  GET /__control?reply=&delay=&silent=0|1&status=&reset=0|1&partial=0|1
                                  changes the behaviour at run time (not logged)

With --reset (reset=1) every request is answered by resetting the
connection; with --partial (partial=1) every answer announces 1000 bytes
more than its body, sends half of the body and then stalls.

Every other request is logged too and answered 404. Each request is written
to --log as "<unix time> <method> <path?query>", flushed at once. The server
ends on SIGTERM or SIGINT, and by itself after --lifetime seconds.
"""
import argparse
import os
import signal
import socket
import struct
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

# A stalled exchange is held at most this long, so a stuck client never keeps
# a thread (or the server's shutdown) forever.
STALL_LIMIT_S = 600.0


class State:
    def __init__(self, args):
        self.lock = threading.Lock()
        self.reply = args.reply
        self.delay = args.delay
        self.silent = args.silent
        self.status = args.status
        self.big = args.big
        self.reset = args.reset
        self.partial = args.partial
        self.files = args.files
        self.log = open(args.log, "a", encoding="utf-8") if args.log else None
        self.stopping = threading.Event()

    def record(self, method, target):
        if self.log is None:
            return
        with self.lock:
            self.log.write(f"{time.time():.3f} {method} {target}\n")
            self.log.flush()

    def snapshot(self):
        with self.lock:
            return self.reply, self.delay, self.silent, self.status, self.big

    def faults(self):
        with self.lock:
            return self.reset, self.partial


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "StandIn/1"
    partial = False  # set per request by do_GET; /__control always answers whole

    def log_message(self, fmt, *args):  # the request log is ours, not stderr
        pass

    @property
    def state(self):
        return self.server.state

    def stall(self):
        # Returns when the client gives up (the socket reads EOF or fails) or
        # the server stops.
        deadline = time.monotonic() + STALL_LIMIT_S
        self.connection.settimeout(0.2)
        while not self.state.stopping.is_set() and time.monotonic() < deadline:
            try:
                if self.connection.recv(4096) == b"":
                    break
            except socket.timeout:
                continue
            except OSError:
                break
        self.close_connection = True

    def send(self, status, body, content_type="text/plain"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body) + (1000 if self.partial else 0)))
        self.end_headers()
        if not self.partial:
            self.wfile.write(body)
            return
        self.wfile.write(body[:max(1, len(body) // 2)])
        self.wfile.flush()
        self.stall()

    def reset_connection(self):
        # A zero linger time makes close() send RST instead of FIN. The
        # server's own shutdown of the socket afterwards fails and is ignored.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()
        self.close_connection = True

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        if url.path == "/__control":
            self.control(query)
            return
        self.state.record("GET", self.path)
        reply, delay, silent, status, big = self.state.snapshot()
        reset, self.partial = self.state.faults()
        if reset:
            self.reset_connection()
            return
        if silent or url.path == "/stall":
            self.stall()
            return
        if delay > 0 and self.state.stopping.wait(delay):
            self.close_connection = True
            return
        code = status or 200
        if url.path == "/request/count.php":
            self.send(code, b"OK\n")
        elif url.path == "/kestravin/update/ver.php":
            text = reply if reply is not None else f"1#{self.base()}/files/KestravinSetup.exe"
            body = text.encode("utf-8")
            if big and len(body) < big:
                body += b" " * (big - len(body))
            self.send(code, body)
        elif url.path == "/lines":
            self.send(code, b"one\ntwo\nthree\n")
        elif url.path.startswith("/files/"):
            self.send_file(urllib.parse.unquote(url.path[len("/files/"):]), status)
        elif url.path == "/partial":
            self.send_response(code)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            self.wfile.write(b"0123456789")
            self.wfile.flush()
            self.stall()
        elif url.path == "/trickle":
            self.trickle(query, code)
        else:
            self.send(404, b"not found\n")

    def base(self):
        host, port = self.server.server_address[:2]
        return f"http://{host}:{port}"

    def send_file(self, name, status):
        folder = self.state.files
        path = os.path.realpath(os.path.join(folder, name)) if folder else ""
        inside = folder and path.startswith(os.path.realpath(folder) + os.sep)
        if not inside or not os.path.isfile(path):
            self.send(404, b"not found\n")
            return
        with open(path, "rb") as f:
            self.send(status or 200, f.read(), "application/octet-stream")

    def trickle(self, query, code):
        count = int(query.get("bytes", ["10"])[0])
        every = float(query.get("every", ["1"])[0])
        self.send_response(code)
        self.send_header("Content-Length", str(count))
        self.end_headers()
        self.wfile.flush()
        try:
            for _ in range(count):
                if self.state.stopping.wait(every):
                    break
                self.wfile.write(b"x")
                self.wfile.flush()
        except OSError:
            pass
        self.close_connection = True

    def control(self, query):
        with self.state.lock:
            if "reply" in query:
                self.state.reply = query["reply"][0]
            if "delay" in query:
                self.state.delay = float(query["delay"][0] or 0)
            if "silent" in query:
                self.state.silent = query["silent"][0] == "1"
            if "status" in query:
                self.state.status = int(query["status"][0] or 0)
            if "big" in query:
                self.state.big = int(query["big"][0] or 0)
            if "reset" in query:
                self.state.reset = query["reset"][0] == "1"
            if "partial" in query:
                self.state.partial = query["partial"][0] == "1"
        self.send(200, b"OK\n")


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--port", type=int, default=0, help="0 picks a free port")
    p.add_argument("--port-file", help="the chosen port is written here once listening")
    p.add_argument("--log", help="request log, one line per request")
    p.add_argument("--reply", help="body of the version reply")
    p.add_argument("--files", help="folder served under /files/")
    p.add_argument("--delay", type=float, default=0.0, help="seconds before every answer")
    p.add_argument("--silent", action="store_true", help="accept connections, never answer")
    p.add_argument("--status", type=int, default=0, help="HTTP status of every answer")
    p.add_argument("--big", type=int, default=0, help="pad the version reply to this many bytes")
    p.add_argument("--reset", action="store_true", help="reset every connection instead of answering")
    p.add_argument("--partial", action="store_true", help="send half of every answer, then stall")
    p.add_argument("--lifetime", type=float, default=1800.0, help="seconds before it ends by itself")
    args = p.parse_args(argv)

    server = Server(("127.0.0.1", args.port), Handler)
    server.state = State(args)
    port = server.server_address[1]
    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w") as f:
            f.write(f"{port}\n")
        os.replace(tmp, args.port_file)  # readers never see a half-written port

    def stop(*_):
        server.state.stopping.set()
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    timer = threading.Timer(args.lifetime, stop)
    timer.daemon = True
    timer.start()
    print(f"stand-in server on http://127.0.0.1:{port}", flush=True)
    server.serve_forever(poll_interval=0.2)
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
