#!/usr/bin/python3
"""Usage-count requests as the stand-in server sees them.

Start-up sends mode=run; the action button's analysis and cleaning passes
send mode=analysis and mode=clean; with a slow server, a second press while
the first pass still waits on its request starts no second pass.
"""
import os
import subprocess
import sys
import tempfile
import time
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winetest  # noqa: E402
from winetest import check  # noqa: E402

ACTION_POINT = (212, 334)
GRID_BOX, PROCESS_BOX = (103, 183), (103, 209)
# The Run box history (a RECENT source): gives analysis one trace to find.
SEED_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU"

session = None
server = None


class StandIn:
    def __init__(self, workdir):
        self.log = os.path.join(workdir, "requests.log")
        port_file = os.path.join(workdir, "port")
        script = os.environ.get("KV_STAND_IN") or os.path.join(winetest.REPO, "tools", "stand_in_server.py")
        self.proc = subprocess.Popen(["/usr/bin/python3", script, "--port", "0", "--port-file", port_file,
                                      "--log", self.log, "--lifetime", "600"],
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        winetest.wait_until(lambda: os.path.exists(port_file) and open(port_file).read().strip(), 20,
                            "the stand-in server")
        self.base = f"http://127.0.0.1:{open(port_file).read().strip()}"

    def requests(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as f:
            return [line.split(" ", 2)[2].strip() for line in f if line.count(" ") >= 2]

    def control(self, **settings):
        query = "&".join(f"{k}={v}" for k, v in settings.items())
        urllib.request.urlopen(f"{self.base}/__control?{query}", timeout=10).read()

    def stop(self):
        self.proc.terminate()
        self.proc.wait(timeout=10)


def seed():
    session.reg("add", SEED_KEY, "/v", "a", "/t", "REG_SZ", "/d", "notepad\\1", "/f")
    session.reg("add", SEED_KEY, "/v", "MRUList", "/t", "REG_SZ", "/d", "a", "/f")


def counts(mode):
    return sum(1 for r in server.requests() if r == f"/request/count.php?mode={mode}&key=kestravin")


def action_face_is(bitmap):
    return winetest.region_matches(session.client_shot(), (172, 320), winetest.load_bmp(bitmap))


def press_action():
    session.click(*ACTION_POINT)
    session.move_away()


def case_start_up_request():
    winetest.wait_until(lambda: counts("run") == 1, 30, "the start-up request")
    # The version query comes first (start-up checks for an update before it counts).
    first_count = next(r for r in server.requests() if r.startswith("/request/"))
    check(first_count == "/request/count.php?mode=run&key=kestravin", f"first count request was {first_count!r}")
    check(counts("analysis") == 0 and counts("clean") == 0, "a pass request before any press")


def case_analysis_then_clean():
    press_action()
    winetest.wait_until(lambda: counts("analysis") == 1, 30, "the analysis request")
    winetest.wait_until(lambda: action_face_is("btn_clean.bmp"), 60, "the analysis to find the seeded trace")
    check(counts("clean") == 0, "cleaning was requested by the analysis press")
    time.sleep(0.7)  # past the double-click time: a separate press
    press_action()
    winetest.wait_until(lambda: counts("clean") == 1, 30, "the cleaning request")
    winetest.wait_until(lambda: action_face_is("btn_analyse.bmp"), 60, "the cleaning pass to end")
    check(counts("analysis") == 1, f"{counts('analysis')} analysis requests")


def case_slow_server_one_pass():
    time.sleep(1.0)  # the face changes just before the previous pass ends
    seed()  # cleaning removed the trace: give this analysis one to find again
    before = counts("analysis")
    server.control(delay=3)
    press_action()
    winetest.wait_until(lambda: counts("analysis") == before + 1, 30, "the slow analysis request")
    time.sleep(0.7)
    press_action()  # while the first pass still waits for the server
    time.sleep(0.7)
    press_action()
    winetest.wait_until(lambda: action_face_is("btn_clean.bmp"), 60, "the slow analysis to end")
    time.sleep(4)  # room for a second pass's request to arrive, had one started
    check(counts("analysis") == before + 1, f"{counts('analysis') - before} analysis requests for one pass")
    check(counts("clean") == 1, "a press during the pass started a cleaning pass")


def main():
    global session, server
    workdir = tempfile.mkdtemp(prefix="kv-usage-")
    server = StandIn(workdir)
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            session = s
            seed()
            s.start()
            s.find_window()
            # Only the registry categories: cleaning must not end Wine's own processes.
            s.click(*GRID_BOX)
            time.sleep(0.7)
            s.click(*PROCESS_BOX)
            s.move_away()
            winetest.run([
                ("start-up sends mode=run", case_start_up_request),
                ("two presses send mode=analysis, then mode=clean", case_analysis_then_clean),
                ("with a slow server, quick presses run one pass", case_slow_server_one_pass),
            ])
    finally:
        server.stop()


if __name__ == "__main__":
    main()
