#!/usr/bin/env python3
"""What the real window costs while it records: the logger under Xvfb 1400 x 900 (and openbox
when installed), fresh settings, COM1 mapped to a pseudo-terminal this script feeds, the one-week
display period. A recording is started with Ctrl+S, then the script measures

  idle, recording     20 s without lines
  100 lines/s         60 s
  1000 lines/s        30 s
  idle, recording     20 s after the lines
  idle, not recording 20 s after Ctrl+S stopped the recording

and prints the CPU time of the logger and of the X server per 1000 lines, the idle shares of a
core, the resident size after the 36,000 lines, and whether every line reached the log.

Needs Xvfb and xdotool (scripts/install-deps.sh bench). Usage: bench/window.py [build folder]
"""

import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

TICK = os.sysconf("SC_CLK_TCK")
PERIOD_ONE_WEEK = 15


def cpu_seconds(pid):
    """CPU time of the process so far: the nanoseconds of its threads' schedstat where the
    kernel keeps them (the clock ticks of stat are too coarse for an idle window), else the
    user and system time of stat."""
    try:
        total = 0
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        return total / 1e9
    except (OSError, ValueError):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        # utime and stime are fields 14 and 15 of the line; [0] here is field 3 (the state).
        return (int(fields[11]) + int(fields[12])) / TICK


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return -1


def fail(message):
    print(f"bench/window: {message}", file=sys.stderr)
    sys.exit(1)


def write_settings(config, log_path, device):
    folder = os.path.join(config, "Orvel", "registry")
    os.makedirs(folder)
    with open(os.path.join(folder, "HKEY_CURRENT_USER.reg"), "w", encoding="utf-8") as f:
        f.write("Windows Registry Editor Version 5.00\r\n\r\n"
                "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Orvel Logger]\r\n"
                '"ComPortIndex"="0"\r\n'
                f'"DisplayPeriodIndex"="{PERIOD_ONE_WEEK}"\r\n'
                f'"LogPath"="{log_path}"\r\n'
                '"GraphType"="GraphLine"\r\n\r\n'
                "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Orvel Logger\\Ports]\r\n"
                f'"COM1"="{device}"\r\n')


class Feeder:
    """Writes count lines to the terminal's master side at a steady rate."""

    def __init__(self, master):
        self.master = master
        self.sent = 0

    def run(self, rate, seconds):
        start, first, total = time.monotonic(), self.sent, rate * seconds
        while self.sent - first < total:
            due = min(total, int((time.monotonic() - start) * rate) + 1) + first
            if due > self.sent:
                os.write(self.master, b"".join(self.line(n) for n in range(self.sent, due)))
                self.sent = due
            time.sleep(0.005)

    @staticmethod
    def counts(n):
        return 1000 + n % 9000, n % 500

    @staticmethod
    def line(n):
        return "{},{}\r\n".format(*Feeder.counts(n)).encode()


def wait_for_window(env, name, app, timeout=20):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if app.poll() is not None:
            fail(f"the logger exited ({app.returncode}) before its window showed")
        found = subprocess.run(["xdotool", "search", "--name", name], env=env,
                               capture_output=True, text=True)
        ids = found.stdout.split()
        if ids:
            return ids[0]
        time.sleep(0.2)
    fail(f"no window named {name!r} within {timeout} s")


def press(env, window, keys):
    subprocess.run(["xdotool", "windowactivate", "--sync", window], env=env,
                   capture_output=True)
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=env, capture_output=True)
    subprocess.run(["xdotool", "key", "--clearmodifiers", keys], env=env, check=True)


def start_x_server(work):
    """Xvfb on a free display (other X servers on this machine may hold the low numbers, even
    unseen from here), and the environment that leads the logger to it."""
    for display in random.sample(range(100, 1000), 8):
        xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1400x900x24",
                                 "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
        env = dict(os.environ, DISPLAY=f":{display}", HOME=work,
                   XDG_CONFIG_HOME=os.path.join(work, "config"), QT_QPA_PLATFORM="xcb",
                   LANG="C.UTF-8", LC_ALL="C.UTF-8")
        env.pop("WAYLAND_DISPLAY", None)
        deadline = time.monotonic() + 10
        while xvfb.poll() is None and time.monotonic() < deadline:
            if subprocess.run(["xdotool", "getdisplaygeometry"], env=env,
                              capture_output=True).returncode == 0:
                return xvfb, env
            time.sleep(0.1)
        xvfb.kill()
        xvfb.wait()
    fail("no X server would start")


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    logger = os.path.abspath(os.path.join(build, "src", "app", "orvel-logger"))
    if not os.access(logger, os.X_OK):
        fail(f"{logger} is not built")
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            fail(f"{tool} is missing: scripts/install-deps.sh bench")

    work = tempfile.mkdtemp(prefix="orvel-bench-window-")
    log_path = os.path.join(work, "logs", "OrveaLog.txt")
    os.makedirs(os.path.dirname(log_path))
    master, slave = os.openpty()
    write_settings(os.path.join(work, "config"), log_path, os.ttyname(slave))

    processes = []
    try:
        xvfb, env = start_x_server(work)
        processes.append(xvfb)
        window_manager = "openbox" if shutil.which("openbox") else "none"
        if shutil.which("openbox"):
            processes.append(subprocess.Popen(["openbox", "--sm-disable"], env=env,
                                              stdout=subprocess.DEVNULL,
                                              stderr=subprocess.DEVNULL))
        app = subprocess.Popen([logger], env=env, stdout=subprocess.DEVNULL,
                               stderr=open(os.path.join(work, "logger.err"), "w"))
        processes.append(app)
        window = wait_for_window(env, "^Orvel Logger", app)
        time.sleep(3)

        press(env, window, "ctrl+s")
        wait_for_window(env, "recording", app)
        time.sleep(2)

        feeder = Feeder(master)
        results = []

        def phase(label, rate, seconds):
            app_before, x_before = cpu_seconds(app.pid), cpu_seconds(xvfb.pid)
            wall = time.monotonic()
            if rate:
                feeder.run(rate, seconds)
            else:
                time.sleep(seconds)
            wall = time.monotonic() - wall
            results.append((label, rate, seconds, wall, cpu_seconds(app.pid) - app_before,
                            cpu_seconds(xvfb.pid) - x_before))

        phase("idle, recording", 0, 20)
        phase("100 lines/s", 100, 60)
        phase("1000 lines/s", 1000, 30)
        time.sleep(2)  # the last lines through the pane and the chart
        resident = resident_mb(app.pid)
        phase("idle, recording, after lines", 0, 20)
        press(env, window, "ctrl+s")
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and "------ End Summary" not in open(log_path).read():
            time.sleep(0.2)
        time.sleep(2)
        phase("idle, not recording", 0, 20)

        with open(log_path, newline="") as f:
            rows = [line for line in f.read().split("\r\n") if re.match(r"^\d+\t\d+\t", line)]
        # The log holds the counts times the multiplier, 100.
        expected = [Feeder.counts(n) for n in range(feeder.sent)]
        got = [tuple(int(field) // 100 for field in row.split("\t")[:2]) for row in rows]
    finally:
        for process in reversed(processes):
            process.terminate()
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                process.kill()
        os.close(master)
        os.close(slave)

    print(f"bench/window: Xvfb 1400x900, window manager {window_manager}, one-week period")
    print("s/kl: CPU seconds per 1000 lines; %core: share of one core")
    print(f"{'phase':40} {'wall s':>7} {'logger s':>9} {'X s':>7} {'logger':>14} {'X':>14}")
    for label, rate, seconds, wall, app_cpu, x_cpu in results:
        if rate:
            lines = rate * seconds
            per = (f"{app_cpu / lines * 1000:8.3f} s/kl", f"{x_cpu / lines * 1000:8.3f} s/kl")
            if wall > seconds * 1.05:
                label += f" (ran at {lines / wall:.0f}/s)"
        else:
            per = (f"{app_cpu / wall * 100:8.3f} %core", f"{x_cpu / wall * 100:8.3f} %core")
        print(f"{label:40} {wall:7.1f} {app_cpu:9.2f} {x_cpu:7.2f} {per[0]:>14} {per[1]:>14}")
    print(f"resident memory after {feeder.sent:,} lines: {resident:.1f} MB")
    if got != expected:
        fail(f"the log holds {len(got):,} rows, {sum(a == b for a, b in zip(got, expected)):,} "
             f"of them as sent, of {len(expected):,} lines sent")
    print(f"every line reached the log: {len(got):,} rows")
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
