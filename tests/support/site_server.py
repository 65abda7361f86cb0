#!/usr/bin/env python3
"""Serves a folder on 127.0.0.1 over HTTP or HTTPS for the tests.

Besides the files, /slow/<n> answers after n seconds (at most 60), so that a
test can hold a client busy for a while. With --log, every request line is
appended to that file as the server received it.
"""
import argparse
import functools
import http.server
import ssl
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if self.path.startswith("/slow/"):
            time.sleep(min(60, int(self.path.split("/")[2] or 0)))
            body = b"slow\n"
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        super().do_GET()

    def log_message(self, fmt, *args):
        pass

    def log_request(self, code="-", size="-"):
        if self.server.request_log:
            with open(self.server.request_log, "a", encoding="latin-1") as log:
                log.write(self.requestline + "\n")


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--root", required=True)
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--cert")
    p.add_argument("--key")
    p.add_argument("--log")
    a = p.parse_args()
    handler = functools.partial(Handler, directory=a.root)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", a.port), handler)
    server.request_log = a.log
    if a.cert:
        ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        ctx.load_cert_chain(a.cert, a.key)
        server.socket = ctx.wrap_socket(server.socket, server_side=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
