"""A small harness for driving Kestravin.exe under Wine on a virtual X screen.

Environment:
  KV_BUILD_WIN        Windows build directory with Kestravin.exe and winprobe.exe
  KV_TEMPLATE_PREFIX  a ready Wine prefix (tools/wine_prefix.sh) that each
                      session copies; without it one is made once under
                      KV_BUILD_WIN/wine-template
  KV_REPO             repository root (default: two levels above this file)

A Session owns one copy of the prefix, one Xvfb display and the Wine
processes started in it; leaving it (with or without an exception) ends
them all and removes the copy. StandIn is the stand-in for the maker's
server; served_session gives both at once. Test files list their cases and
call run(). Ids, texts and click points come from product.py, which reads
them from the program's sources.
"""
import contextlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
import urllib.parse
import urllib.request

from PIL import Image

import product

REPO = os.environ.get("KV_REPO") or os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("KV_BUILD_WIN") or os.path.join(REPO, "build", "win")
# The shared test data: KV_TESTDATA, or the folder beside the repository's.
TESTDATA = os.environ.get("KV_TESTDATA") or os.path.join(os.path.dirname(REPO), "shared", "testdata")
ART = os.path.join(REPO, "ui", "art")
SCREEN = (1024, 768)
TITLE = product.text("kProgramName")


class TestFailure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise TestFailure(message)


def wait_until(predicate, timeout, what, interval=0.2):
    """Polls predicate until it returns something true; fails after timeout seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TestFailure(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def wine_env_base():
    """The Wine settings of tools/wine_env.sh, which alone decides between the
    32-bit Wine and wine64; returns (environment, the command that starts a
    Windows program). Its `wine` runs whichever it chose."""
    script = 'export KV_REPO="$1"; source "$KV_REPO/tools/wine_env.sh" && env -0'
    done = subprocess.run(["bash", "-c", script, "_", REPO], stdin=subprocess.DEVNULL, capture_output=True,
                          timeout=60)
    if done.returncode != 0:
        raise TestFailure(f"tools/wine_env.sh failed: {done.stderr.decode(errors='replace')[-300:]}")
    env = dict(item.split("=", 1) for item in done.stdout.decode("utf-8", "replace").split("\0") if "=" in item)
    if env.get("KV_WINE_ARCH") not in ("win32", "win64"):
        raise TestFailure(f"no Wine to run Windows programs with (KV_WINE_ARCH={env.get('KV_WINE_ARCH')!r})")
    return env, ["wine"]


def template_prefix():
    given = os.environ.get("KV_TEMPLATE_PREFIX")
    if given:
        return given
    own = os.path.join(BUILD, "wine-template")
    subprocess.run(["bash", os.path.join(REPO, "tools", "wine_prefix.sh"), own], check=True, timeout=600)
    return own


def free_display():
    for n in range(90, 190):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    raise TestFailure("no free X display number")


def load_bmp(name):
    return Image.open(os.path.join(ART, name)).convert("RGB")


def region_matches(shot, origin, bitmap, tolerance=0):
    """True when the screen region at origin holds exactly the bitmap's pixels."""
    x0, y0 = origin
    w, h = bitmap.size
    region = shot.crop((x0, y0, x0 + w, y0 + h))
    for a, b in zip(region.getdata(), bitmap.getdata()):
        if max(abs(p - q) for p, q in zip(a, b)) > tolerance:
            return False
    return True


class StandIn:
    """tools/stand_in_server.py on a free port, logging into workdir; options as its command line."""

    def __init__(self, workdir, *options):
        self.log = os.path.join(workdir, "requests.log")
        port_file = os.path.join(workdir, "port")
        script = os.environ.get("KV_STAND_IN") or os.path.join(REPO, "tools", "stand_in_server.py")
        self.proc = subprocess.Popen(["/usr/bin/python3", script, "--port", "0", "--port-file", port_file,
                                      "--log", self.log, "--lifetime", "900", *options],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            wait_until(lambda: os.path.exists(port_file) and open(port_file).read().strip(), 20,
                       "the stand-in server")
        except BaseException:
            self.stop()
            raise
        self.base = f"http://127.0.0.1:{open(port_file).read().strip()}"

    def requests(self):
        """Every request's path and query so far, in order."""
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as f:
            return [line.split(" ", 2)[2].strip() for line in f if line.count(" ") >= 2]

    def count(self, mode):
        """How many usage-count requests of that mode arrived."""
        wanted = usage_request(mode)
        return sum(1 for r in self.requests() if r == wanted)

    def control(self, **settings):
        query = urllib.parse.urlencode(settings)
        urllib.request.urlopen(f"{self.base}/__control?{query}", timeout=10).read()

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait(timeout=10)


def usage_request(mode):
    """The usage-count request the program sends for mode (run, analysis, clean, update_exe)."""
    return f"/request/count.php?mode={mode}&key=kestravin"


@contextlib.contextmanager
def served_session(name, *server_options, files=None, server_in_env=True, extra_env=None):
    """A stand-in server and a Session beside it, both ended on leaving; yields (session, server).

    files maps a name the server offers under /files/ to a program of the
    build; with server_in_env every program the session starts talks to the
    stand-in, else each start names its server itself.
    """
    workdir = tempfile.mkdtemp(prefix=f"kv-{name}-")
    try:
        options = list(server_options)
        if files:
            folder = os.path.join(workdir, "files")
            os.makedirs(folder)
            for served, exe in files.items():
                shutil.copy2(os.path.join(BUILD, exe), os.path.join(folder, served))
            options += ["--files", folder]
        server = StandIn(workdir, *options)
        try:
            env = dict(extra_env or {})
            if server_in_env:
                env["KESTRAVIN_SERVER"] = server.base
            with Session(extra_env=env) as session:
                yield session, server
        finally:
            server.stop()
    finally:
        shutil.rmtree(workdir, ignore_errors=True)


def is_main_window(w):
    """The main window in a windows() list: the program's title, a dialog, no text of a box."""
    return w["title"] == TITLE and w["cls"] == "#32770" and not w["text"]


def closed_port_url():
    """A local address where nothing listens: every connection is refused."""
    import socket
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    return f"http://127.0.0.1:{port}"


class Session:
    def __init__(self, extra_env=None):
        self.extra_env = extra_env or {}
        self.procs = []
        self.xvfb = None
        self.prefix = None

    # -- set-up and clean-up ------------------------------------------------

    def __enter__(self):
        try:
            self.env, self.wine = wine_env_base()
            self.prefix = tempfile.mkdtemp(prefix="kv-gui-", dir=os.path.dirname(os.path.abspath(BUILD)))
            shutil.rmtree(self.prefix)
            shutil.copytree(template_prefix(), self.prefix, symlinks=True)
            self.display = free_display()
            self.xvfb = subprocess.Popen(
                ["Xvfb", f":{self.display}", "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24", "-nolisten", "tcp"],
                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_until(lambda: os.path.exists(f"/tmp/.X11-unix/X{self.display}"), 20, "Xvfb")
            self.env.update(WINEPREFIX=self.prefix, DISPLAY=f":{self.display}")
            self.env.update(self.extra_env)
            return self
        except BaseException:
            self.__exit__(None, None, None)
            raise

    def __exit__(self, *exc):
        if self.prefix and os.path.isdir(self.prefix):
            subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=60)
            subprocess.run(["wineserver", "-w"], env=self.env, capture_output=True, timeout=60)
        for proc in self.procs:
            if proc.poll() is None:
                proc.kill()
                proc.wait(timeout=10)
        if self.xvfb:
            self.xvfb.send_signal(signal.SIGTERM)
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        if self.prefix:
            shutil.rmtree(self.prefix, ignore_errors=True)
        return False

    # -- Windows programs -----------------------------------------------------

    def start(self, exe="Kestravin.exe", *args):
        return self.start_at(os.path.join(BUILD, exe), *args)

    def drive_c(self, *parts):
        """A path inside the prefix's C: drive."""
        return os.path.join(self.prefix, "drive_c", *parts)

    def install(self, folder, exe="Kestravin.exe", source=None):
        """Copies a program of the build (`source`, a path below the build, or `exe`) into
        C:\\<folder> (a '\\'-separated Windows path below C:\\) as `exe`; returns its Windows path."""
        target = self.drive_c(*folder.split("\\"))
        os.makedirs(target, exist_ok=True)
        shutil.copy2(os.path.join(BUILD, source or exe), os.path.join(target, exe))
        return "C:\\" + folder + "\\" + exe

    def start_at(self, windows_path, *args, env=None):
        """Starts a program by its Windows path, optionally with extra environment."""
        run_env = dict(self.env)
        run_env.update(env or {})
        proc = subprocess.Popen(self.wine + [windows_path, *args], env=run_env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.procs.append(proc)
        return proc

    def windows(self):
        """Visible top-level windows as dicts: hwnd (hex text), cls, rect, title, text."""
        _, out = self.run("winprobe.exe", "--list")
        found = []
        for line in out.splitlines():
            fields = line.rstrip("\r").split("\t")
            if len(fields) < 5:
                continue
            rect = tuple(int(v) for v in fields[2].split(","))
            found.append(dict(hwnd=fields[0], cls=fields[1], rect=rect, title=fields[3],
                              text=fields[4] if len(fields) > 4 else ""))
        return found

    def wait_for_window(self, what, predicate, timeout=30):
        """Waits for a visible top-level window the predicate accepts; returns it."""
        def look():
            return next((w for w in self.windows() if predicate(w)), None)
        return wait_until(look, timeout, what, interval=0.3)

    def wait_for_main(self, timeout=30):
        """Waits for the main window (is_main_window); returns it."""
        return self.wait_for_window("the main window", is_main_window, timeout)

    def wait_for_box(self, title, text, timeout=30):
        """Waits for a message box of that caption and text; returns it."""
        return self.wait_for_window(f"the box {title!r}: {text!r}",
                                    lambda w: w["title"] == title and w["text"] == text, timeout)

    def boxes(self):
        """The message boxes shown: top-level windows with a text."""
        return [w for w in self.windows() if w["text"]]

    def click_button(self, hwnd, control_id):
        """Posts a click of button control_id (or a menu command) to the top-level window hwnd."""
        code, _ = self.run("winprobe.exe", "--click", hwnd, str(control_id))
        check(code == 0, f"window {hwnd} is gone")

    def item_count(self, hwnd, control_id):
        code, out = self.run("winprobe.exe", "--items", hwnd, str(control_id))
        check(code == 0, f"no list {control_id} in window {hwnd}")
        return int(out.split()[0])

    def wine_command(self, *args, timeout=90):
        """Runs a Windows command (a path or a command Wine knows) in the prefix; returns (exit code, output)."""
        return self._wine_output(self.wine + list(args), timeout)

    def _wine_output(self, argv, timeout):
        """Runs a Wine program and returns (exit code, stdout). Its output goes
        through a file, not a pipe: the first Wine program of a prefix starts
        wineserver and the system services, which inherit its stdout, so
        reading a pipe to its end would wait for them as well."""
        with tempfile.TemporaryFile() as out:
            done = subprocess.run(argv, env=self.env, stdin=subprocess.DEVNULL, stdout=out,
                                  stderr=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            return done.returncode, out.read().decode("utf-8", "replace")

    def run(self, exe, *args, timeout=60):
        return self._wine_output(self.wine + [os.path.join(BUILD, exe), *args], timeout)

    def reg(self, *args):
        return self._wine_output(self.wine + ["reg", *args], 60)

    def probe(self, title=TITLE):
        """What Windows says about the windows of that title (tests/probes/winprobe.cpp)."""
        _, out = self.run("winprobe.exe", title)
        facts = dict(re.findall(r"(\w+)=(\S+)", out))
        check("found" in facts, f"winprobe printed nothing useful: {out!r}")
        facts["rect"] = tuple(int(v) for v in facts["rect"].split(","))
        for key in ("found", "iconic", "visible", "foreground", "count", "visible_count"):
            facts[key] = int(facts[key])
        return facts

    # -- X side ---------------------------------------------------------------

    def xdotool(self, *args):
        done = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, timeout=30)
        return done.stdout.decode()

    def find_window(self, timeout=60):
        """Waits for the visible main window; returns its screen origin."""
        def look():
            ids = self.xdotool("search", "--onlyvisible", "--name", f"^{TITLE}$").split()
            if not ids:
                return None
            geometry = self.xdotool("getwindowgeometry", "--shell", ids[0])
            values = dict(re.findall(r"(\w+)=(\d+)", geometry))
            return int(values["X"]), int(values["Y"])
        self.origin = wait_until(look, timeout, "the main window")
        return self.origin

    def click(self, x, y, button=1):
        """Clicks at a client point of the main window (no caption: client = window origin)."""
        ox, oy = self.origin
        self.xdotool("mousemove", str(ox + x), str(oy + y), "click", str(button))

    def move_away(self):
        self.xdotool("mousemove", "1", "1")

    def screenshot(self):
        path = os.path.join(self.prefix, "shot.png")
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True, timeout=60,
                       capture_output=True)
        return Image.open(path).convert("RGB")

    def client_shot(self):
        """The main window's client area as an image."""
        ox, oy = self.origin
        return self.screenshot().crop((ox, oy, ox + product.number("kWindowWidth"),
                                       oy + product.number("kWindowHeight")))


def run(cases):
    """Runs (name, function) cases in order, prints PASS/FAIL for each, exits non-zero on a failure."""
    failed = run_cases(cases)
    sys.exit(1 if failed else 0)


def run_cases(cases):
    """Runs (name, function) cases in order, prints PASS/FAIL for each; returns how many failed."""
    failed = 0
    for name, case in cases:
        start = time.monotonic()
        try:
            case()
            print(f"PASS {name} ({time.monotonic() - start:.1f} s)", flush=True)
        except Exception as error:  # a case's failure must not stop the others
            failed += 1
            print(f"FAIL {name}: {error}", flush=True)
            if not isinstance(error, TestFailure):
                traceback.print_exc()
    print(f"{len(cases) - failed} passed, {failed} failed", flush=True)
    return failed
