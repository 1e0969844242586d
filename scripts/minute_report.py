#!/usr/bin/env python3
"""Reads the service's debug log and writes what it decided as a report: for every decision, one
line per restricted user with the minutes used of the day's allowance, whether a restricted period
runs, and what the service did (blocked or free, logoff requested), and a line for each minute not
counted because the user's screen was locked. The per-minute detail it reads is written from Debug
level 3 on.

usage: minute_report.py DEBUG_LOG [--follow SECONDS]
With --follow it reports the log as it grows, for that many seconds.
"""
import re
import sys
import time

LINE = re.compile(r"^\[(\d\d\.\d\d\.\d{4}) (\d\d:\d\d):\d\d\] (.*)$")
WHOLE_DAY = 1440
# The service's lifecycle lines worth a line of their own.
EVENTS = {
    "Service started": "service started",
    "Stopping service": "service stopping: every restricted account gets its logon hours back",
    "Request to read user settings": "settings reloaded (hwctl or ReadSettings asked for it)",
}
HEADER = f"{'Time':<7}{'User':<12}{'Used today':<20}{'Restricted period':<19}Decision"


class MinuteReport:
    def __init__(self, write):
        self.write = write
        self.user = None
        self.last_time = None

    def feed(self, line):
        match = LINE.match(line.rstrip("\r\n"))
        if not match:
            return
        clock, text = match.group(2), match.group(3)
        if text.startswith("FILTER: "):
            self.user = {"name": text[8:], "time": clock, "synced": True, "period": False,
                         "used": None, "allowance": None, "logged_on": False, "held": False}
        elif self.user is not None and self.decided(text):
            self.user = None
        elif match := re.fullmatch(r"Minute not counted for (\S+): every session locked or disconnected", text):
            self.emit_line(clock, f"-- {match.group(1)}: this minute not counted, the screen locked or the session "
                                  "switched away from")
        elif match := re.fullmatch(r"Ending session (\d+) of (\S+): .*", text):
            self.emit_line(clock, f"-- the service ends session {match.group(1)} of {match.group(2)}, "
                                  "still logged on against the logoff request")
        elif text in EVENTS or text.endswith(" still logged !"):
            note = EVENTS.get(text) or f"{text[5:-15]} is still logged on after the logoff request"
            self.emit_line(clock, f"-- {note}")

    def decided(self, text):
        """Takes one line of a user's evaluation; true once the decision's outcome is in."""
        user = self.user
        if text == "inet_connected=0":
            user["synced"] = False
        elif text.startswith("time=") and text.endswith("restricted_period=1"):
            user["period"] = True
        elif match := re.fullmatch(r"Spent time=(-?\d+) Max time=(-?\d+)", text):
            user["used"], user["allowance"] = int(match.group(1)), int(match.group(2))
        elif match := re.fullmatch(r"logoff=(\d+) disable=(\d+)", text):
            user["logged_on"], user["held"] = int(match.group(1)) > 0, int(match.group(2)) > 0
        elif text.endswith(": " + user["name"]) and text.startswith("User account successfully "):
            self.emit_user("")
            return True
        elif text == "ERROR: Not possible to set user settings " + user["name"]:
            self.emit_user(" (but the account could not be changed, see the log)")
            return True
        return False

    def emit_user(self, suffix):
        user = self.user
        if user["used"] is None:
            used = "unknown"
        elif user["allowance"] >= WHOLE_DAY:
            used = f"{user['used']} min, no limit"
        else:
            used = f"{user['used']} of {user['allowance']} min"
        period = "yes" if user["period"] else "no"
        if not user["held"]:
            decision = "free"
        else:
            reasons = []
            if not user["synced"]:
                reasons.append("time not yet confirmed")
            if user["period"]:
                reasons.append("restricted period")
            if user["used"] is not None and user["used"] > user["allowance"]:
                reasons.append("allowance used up")
            decision = "blocked" + (" (" + ", ".join(reasons) + ")" if reasons else "")
            decision += ", logoff requested" if user["logged_on"] else ", not logged on"
        self.emit_line(user["time"], f"{user['name']:<12}{used:<20}{period:<19}{decision}{suffix}")

    def emit_line(self, clock, text):
        shown = clock if clock != self.last_time else ""
        self.last_time = clock
        self.write(f"{shown:<7}{text}")


def follow(path, seconds, report):
    """Feeds the complete lines the file gains over the given time."""
    end = time.monotonic() + seconds
    offset = 0
    pending = b""
    while time.monotonic() < end:
        try:
            with open(path, "rb") as log:
                log.seek(offset)
                pending += log.read()
                offset = log.tell()
        except FileNotFoundError:
            pass
        # Whole lines only: a character of several bytes may still be half written.
        *lines, pending = pending.split(b"\n")
        for line in lines:
            report.feed(line.decode("utf-8", errors="replace"))
        time.sleep(1)


def main(arguments):
    if len(arguments) not in (1, 3) or (len(arguments) == 3 and arguments[1] != "--follow"):
        sys.exit(__doc__)
    report = MinuteReport(lambda text: print(text, flush=True))
    print(HEADER, flush=True)
    if len(arguments) == 3:
        follow(arguments[0], float(arguments[2]), report)
    else:
        # The log is UTF-8 without a byte-order mark; a byte that is no UTF-8 is shown as U+FFFD.
        with open(arguments[0], encoding="utf-8", errors="replace") as log:
            for line in log:
                report.feed(line)


if __name__ == "__main__":
    main(sys.argv[1:])
