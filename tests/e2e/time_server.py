#!/usr/bin/env python3
"""A time page on loopback for the service under Wine.

GET /cgi-bin/timer.pl answers a page whose <PRE> block shows the current UTC time the way the
public time pages do ("Dec. 08, 17:18:19 UTC"), any other path 404; with --date-header-only every
path answers a redirection (302) with no page, so the time can only come from the response's Date
header (which counts for a 2xx or 3xx answer, never for an error). The port (chosen by the
system) is written to the file given with --port-file. Only 127.0.0.1 is ever bound.
"""
import argparse
import http.server
import time

MONTHS = ["Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"]


def page():
    now = time.gmtime()
    stamp = f"{MONTHS[now.tm_mon - 1]}. {now.tm_mday:02d}, {now.tm_hour:02d}:{now.tm_min:02d}:{now.tm_sec:02d}"
    return f"<HTML><HEAD><TITLE>Time</TITLE></HEAD><BODY><PRE>\n<BR>{stamp} UTC\tUniversal Time\n</PRE></BODY></HTML>\n"


class Handler(http.server.BaseHTTPRequestHandler):
    date_header_only = False

    def do_GET(self):
        if self.date_header_only:
            body = b"<HTML><BODY>Moved</BODY></HTML>\n"
            self.send_response(302)
            self.send_header("Location", "/elsewhere")
        elif self.path == "/cgi-bin/timer.pl":
            body = page().encode()
            self.send_response(200)
        else:
            body = b"<HTML><BODY>Not Found</BODY></HTML>\n"
            self.send_response(404)
        self.send_header("Content-Type", "text/html")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--date-header-only", action="store_true")
    args = parser.parse_args()
    Handler.date_header_only = args.date_header_only
    server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
    with open(args.port_file, "w") as f:
        f.write(str(server.server_address[1]))
    server.serve_forever()


if __name__ == "__main__":
    main()
