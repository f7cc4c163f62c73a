#!/usr/bin/python3
"""The stop-pending poll of GRID cleaning, seen for real.

With PROCESS unticked (so that the agent's process is left to its service),
a grid-delivery service that stays stop-pending for about three polls is
stopped and its row leaves: the pass ends with the success text. One that
never leaves stop-pending hits the poll bound (about 30 s) and its row
stays: the button returns to its analysis face and the status line says one
trace could not be cleaned. One program start serves both cases, in order.
"""
import os
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

# (executable, paired service) of two grid-delivery agents.
SLOW_AGENT = ("qdownagent.exe", "QuickDownload Agent")
STUCK_AGENT = ("qdownservice.exe", "QuickDownload Service")

session = None
server = None
server_dir = None
facts = {}


def clean_agent(exe, service, pending_ms, clean_timeout):
    """Starts the agent's service, analyses and cleans; returns the cleaning's seconds."""
    scenario.install_service(session, service, exe, pending_ms=pending_ms, lifetime_s=240)
    scenario.wait_for_process(session, exe)
    before = session.client_shot()
    scenario.run_pass(session, server, "analysis", "btn_clean.bmp", 60)
    analysed = session.client_shot()
    check(not scenario.same_region(before, analysed, scenario.COUNT_RECTS["GRID"]),
          f"the GRID count line did not change: {exe} was not found")
    time.sleep(0.7)  # past the double-click time: a press of its own
    seconds = scenario.run_pass(session, server, "clean", "btn_analyse.bmp", clean_timeout)
    facts[exe] = (analysed, session.client_shot())
    return seconds


def case_slow_stop_succeeds():
    exe, service = SLOW_AGENT
    # Half a poll short of three, so that no poll falls on the moment it stops.
    seconds = clean_agent(exe, service, 2500, 60)
    print(f"  cleaning a service stop-pending for 2.5 s took {seconds:.1f} s from the press")
    state = scenario.service_state(session, service)
    check(state == scenario.SERVICE_STOPPED, f"{service} is in state {state} after cleaning")
    analysed, cleaned = facts[exe]
    check(scenario.status_reads(cleaned, scenario.CLEAN_DONE, scenario.CLEAN_FAILED_ONE),
          "the status line does not read as the success text")
    # The row left and lowered the count: the count line is no longer the analysed one.
    check(not scenario.same_region(analysed, cleaned, scenario.COUNT_RECTS["GRID"]),
          "the GRID count line still shows the analysed count")


def case_stuck_stop_hits_bound():
    exe, service = STUCK_AGENT
    seconds = clean_agent(exe, service, -1, 120)
    print(f"  cleaning a service that never stops took {seconds:.1f} s from the press (the poll bound)")
    state = scenario.service_state(session, service)
    check(state == scenario.SERVICE_STOP_PENDING, f"{service} is in state {state}, not stop-pending")
    analysed, cleaned = facts[exe]
    if not scenario.status_reads(cleaned, scenario.CLEAN_FAILED_ONE, scenario.CLEAN_DONE):
        kept = os.path.join(server_dir, "status-after-bound.png")
        cleaned.save(kept)
        check(False, f"the status line does not read as the one-trace-left text (screen in {kept})")
    # The row stayed, and with it the count analysis showed.
    check(scenario.same_region(analysed, cleaned, scenario.COUNT_RECTS["GRID"]),
          "the GRID count line changed although the row stayed")
    slow_status = facts[SLOW_AGENT[0]][1].crop(scenario.STATUS_RECT)
    check(list(slow_status.getdata()) != list(cleaned.crop(scenario.STATUS_RECT).getdata()),
          "the status line looks the same as after the successful stop")


def main():
    global session, server, server_dir
    workdir = server_dir = tempfile.mkdtemp(prefix="kv-grid-")
    server = winetest.StandIn(workdir)
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            session = s
            s.start()
            s.find_window()
            winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
            scenario.set_box(s, "PROCESS", False)
            failed = winetest.run_cases([
                ("a service stop-pending for three polls stops, and its row leaves", case_slow_stop_succeeds),
                ("a service that never stops hits the poll bound, and its row stays", case_stuck_stop_hits_bound),
            ])
    finally:
        server.stop()
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
