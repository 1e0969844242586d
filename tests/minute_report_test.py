#!/usr/bin/env python3
"""The report of scripts/run.sh against debug-log lines as the service writes them: one case per
decision. Prints one line per case and ends with "N passed, M failed"."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "scripts"))
from minute_report import MinuteReport  # noqa: E402


def log(*texts):
    return [f"[09.12.2026 10:05:07] {text}" for text in texts]


def evaluation(name, *detail, outcome="blocked"):
    return log(f"FILTER: {name}", *detail, f"User account successfully {outcome}: {name}")


CASES = [
    ("over the allowance while logged on",
     evaluation("kid", "current_time=10:05 day_of_week=2", "time_filter=", "User logged over time limit:60",
                "Spent time=61 Max time=60", "logoff=2 disable=1"),
     "10:05  kid         61 of 60 min        no                 blocked (allowance used up), logoff requested"),
    ("in a restricted period, not logged on",
     evaluation("alice", "time_filter=00:00 24:00", "time=24:00 restricted_period=1", "Spent time=0 Max time=1440",
                "logoff=0 disable=1"),
     "10:05  alice       0 min, no limit     yes                blocked (restricted period), not logged on"),
    ("a period that has ended counts as none",
     evaluation("bob", "time_filter=08:00 09:00", "time=09:00 restricted_period=0", "Spent time=5 Max time=60",
                "logoff=1 disable=0", outcome="unblocked"),
     "10:05  bob         5 of 60 min         no                 free"),
    ("the time not yet confirmed",
     evaluation("kid", "inet_connected=0", "Spent time=0 Max time=60", "logoff=1 disable=1"),
     "10:05  kid         0 of 60 min         no                 blocked (time not yet confirmed), logoff requested"),
    ("the account call failed",
     log("FILTER: kid", "Spent time=0 Max time=60", "logoff=1 disable=1", "ERROR: Not possible to set user settings kid"),
     "10:05  kid         0 of 60 min         no                 blocked, logoff requested (but the account could not "
     "be changed, see the log)"),
    ("a lifecycle line between decisions",
     log("Request to read user settings"),
     "10:05  -- settings reloaded (hwctl or ReadSettings asked for it)"),
    ("a session the service ends itself",
     log("Ending session 1 of PC\\kid: still logged on against the logoff request"),
     "10:05  -- the service ends session 1 of PC\\kid, still logged on against the logoff request"),
    ("a minute not counted while the screen is locked",
     log("Sessions of kid: active=0 locked=1 disconnected=0 outside=0",
         "Minute not counted for kid: every session locked or disconnected"),
     "10:05  -- kid: this minute not counted, the screen locked or the session switched away from"),
    ("lines of other kinds are left out",
     log("Updating spent time for user: kid", "spent time=3 date=09.12.2026", "garbage") + ["not a log line"],
     None),
]

passed = failed = 0
for name, lines, expected in CASES:
    shown = []
    report = MinuteReport(shown.append)
    for line in lines:
        report.feed(line + "\r\n")
    wanted = [expected] if expected else []
    if shown == wanted:
        passed += 1
        print(f"ok: {name}")
    else:
        failed += 1
        print(f"FAILED: {name}\n    wanted: {wanted}\n    got:    {shown}")
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
