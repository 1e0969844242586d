#!/usr/bin/env python3
"""A time site on loopback that takes every connection and answers too slowly to be of use.

Each connection is sent the start of an HTTP answer one byte every --every seconds (with 0, never
a byte), so that no single wait of the client is long but the answer never completes. A line is
appended to --log-file for each connection when it is taken and when the client closes it, so a
test can see the checks come and go. The port (chosen by the system) is written to --port-file.
Only 127.0.0.1 is ever bound.
"""
import argparse
import socket
import threading
import time

ANSWER = b"HTTP/1.1 200 OK\r\nDate: Tue, 08 Dec 2026 17:18:19 GMT\r\nContent-Length: 4\r\n\r\nslow"


def log(path, text):
    with open(path, "a") as f:
        f.write(f"{time.time():.1f} {text}\n")


def trickle(connection, number, every, log_file):
    log(log_file, f"taken {number}")
    connection.setblocking(False)
    sent = 0
    try:
        while True:
            time.sleep(every or 1)
            try:
                if connection.recv(4096) == b"":
                    break
            except BlockingIOError:
                pass
            if every and sent < len(ANSWER):
                connection.send(ANSWER[sent:sent + 1])
                sent += 1
    except OSError:
        pass
    connection.close()
    log(log_file, f"closed {number}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--log-file", required=True)
    parser.add_argument("--every", type=float, default=4)
    args = parser.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(listener.getsockname()[1]))
    import os
    os.replace(args.port_file + ".tmp", args.port_file)
    number = 0
    while True:
        connection, _ = listener.accept()
        number += 1
        threading.Thread(target=trickle, args=(connection, number, args.every, args.log_file), daemon=True).start()


if __name__ == "__main__":
    main()
