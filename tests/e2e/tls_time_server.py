#!/usr/bin/env python3
"""Answers for the HTTPS time check on loopback, one port per certificate.

Each --site NAME:CERT:KEY serves TLS with that certificate: "/" answers 200 with the server's
Date header, "/redirect" answers 302 to the plain HTTP port. The plain port answers any request
and records its request line in --plain-log, so a test can show that nothing fell back to plain
HTTP. The ports (chosen by the system) are written to --port-file as lines "NAME PORT", the plain
one as "plain PORT". Only 127.0.0.1 is ever bound.
"""
import argparse
import http.server
import ssl
import threading


class Handler(http.server.BaseHTTPRequestHandler):
    plain_port = 0
    plain_log = None

    def do_GET(self):
        if self.plain_log is not None:
            with open(self.plain_log, "a") as log:
                log.write(self.requestline + "\n")
        body = b"Hourwarden test site\n"
        if self.path == "/redirect":
            self.send_response(302)
            self.send_header("Location", f"http://127.0.0.1:{self.plain_port}/")
        else:
            self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def serve(server):
    threading.Thread(target=server.serve_forever, daemon=True).start()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--plain-log", required=True)
    parser.add_argument("--site", action="append", default=[])
    args = parser.parse_args()

    plain_handler = type("PlainHandler", (Handler,), {"plain_log": args.plain_log})
    plain = http.server.ThreadingHTTPServer(("127.0.0.1", 0), plain_handler)
    Handler.plain_port = plain.server_address[1]
    lines = [f"plain {Handler.plain_port}"]
    servers = [plain]
    for site in args.site:
        name, cert, key = site.split(":")
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        server.socket = context.wrap_socket(server.socket, server_side=True)
        servers.append(server)
        lines.append(f"{name} {server.server_address[1]}")
    with open(args.port_file + ".tmp", "w") as f:
        f.write("\n".join(lines) + "\n")
    import os
    os.replace(args.port_file + ".tmp", args.port_file)
    for server in servers[1:]:
        serve(server)
    plain.serve_forever()


if __name__ == "__main__":
    main()
