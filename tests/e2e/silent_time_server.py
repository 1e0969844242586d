#!/usr/bin/env python3
"""A time site on loopback that never answers.

The first connection is closed at once, so the check of the service's start fails quickly and the
one held is a tick's; every later connection is taken and held open without a word, and a line is
appended to --held-file for each, so a test knows when a time check is waiting on the site. The
port (chosen by the system) is written to --port-file. Only 127.0.0.1 is ever bound.
"""
import argparse
import socket
import threading


def hold(connection):
    with connection:
        try:
            while connection.recv(4096):
                pass
        except OSError:
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--held-file", required=True)
    args = parser.parse_args()
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    with open(args.port_file, "w") as f:
        f.write(str(listener.getsockname()[1]))
    first = True
    while True:
        connection, _ = listener.accept()
        if first:
            first = False
            connection.close()
            continue
        with open(args.held_file, "a") as f:
            f.write("held\n")
        threading.Thread(target=hold, args=(connection,), daemon=True).start()


if __name__ == "__main__":
    main()
