#!/usr/bin/env python3
"""A telemetry database on 127.0.0.1 for the forwarding tests.

Takes SiDS form posts, checks their fields as such a server does and answers
201, or 400 with the reason. --answers scripts the first answers in turn
(a status; "hang": take the request and never answer; "slow": answer 201
after 2 s); later requests get the checked answer. Every request is logged
to --log on one line: the answer and the fields decoded, blank-separated in
the order below (the body as sent when it lacks one). For the first --down
seconds every request is cut off unanswered and not logged, as by a
network that is down. Prints "listening on 127.0.0.1:PORT" once
ready. Ends on SIGTERM, or by itself after --life seconds.
"""
import argparse
import http.server
import re
import sys
import threading
import time
import urllib.parse

FIELDS = {
    "noradID": r"[0-9]+",
    "source": r".+",
    "timestamp": r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z",
    "frame": r"([0-9A-F]{2})+",
    "locator": r"longLat",
    "longitude": r"\d+(\.\d+)?[EW]",
    "latitude": r"\d+(\.\d+)?[NS]",
    "version": r".+",
}

parser = argparse.ArgumentParser()
parser.add_argument("--port", type=int, default=0)
parser.add_argument("--log", required=True)
parser.add_argument("--answers", default="")
parser.add_argument("--life", type=float, default=120)
parser.add_argument("--down", type=float, default=0)
args = parser.parse_args()
script = [a for a in args.answers.split(",") if a]
started = time.monotonic()
lock = threading.Lock()


def check(body):
    """(None, the decoded fields) or (why the body is refused, the body)."""
    fields = urllib.parse.parse_qs(body, keep_blank_values=True)
    for name, pattern in FIELDS.items():
        values = fields.get(name, [])
        if len(values) != 1 or not re.fullmatch(pattern, values[0]):
            return "invalid or missing field " + name, body
    return None, " ".join(fields[name][0] for name in FIELDS)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *unused):
        pass

    def do_POST(self):
        body = self.rfile.read(int(self.headers.get("Content-Length", 0))).decode("latin-1")
        if time.monotonic() - started < args.down:
            self.close_connection = True
            return
        why, logged = check(body)
        with lock:
            answer = script.pop(0) if script else ("400" if why else "201")
            with open(args.log, "a") as log:
                log.write(answer + " " + logged + "\n")
        if answer == "hang":
            time.sleep(3600)
            return
        if answer == "slow":
            time.sleep(2)
            answer = "201"
        text = (why or "refused") if answer == "400" else "ok"
        self.send_response(int(answer))
        self.send_header("Content-Length", str(len(text)))
        self.end_headers()
        self.wfile.write(text.encode())


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


server = Server(("127.0.0.1", args.port), Handler)
print("listening on 127.0.0.1:%d" % server.server_address[1], flush=True)
threading.Timer(args.life, lambda: threading.Thread(target=server.shutdown).start()).start()
server.serve_forever()
sys.exit(0)
