#!/usr/bin/env python3
"""Downloads one large file from the stand-in web over loopback with
`bramix-cli get` and with the tools its users know, `curl -o`, `wget -O`
and `aria2c`, in the same run, and prints each one's throughput, bramix-cli's
ratio to each (the goal: at or above the best of them) and bramix-cli's peak
resident memory (the goal: under 30 MB, whatever the size). Installs wget
and aria2 when they are missing (root, or sudo).

Usage: bench/download_bench.py [BUILD_DIR] [SIZE_MB] [ROUNDS]
       (defaults: build, 1024, 3)
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
size = int(sys.argv[2] if len(sys.argv) > 2 else 1024) * 1024 * 1024
rounds = int(sys.argv[3] if len(sys.argv) > 3 else 3)
url = "http://files.example.com/big.mp3"


def install_missing():
    missing = [package for tool, package in (("wget", "wget"), ("aria2c", "aria2"))
               if shutil.which(tool) is None]
    if missing:
        sudo = [] if os.geteuid() == 0 else ["sudo"]
        subprocess.run(sudo + ["apt-get", "install", "-y", "-qq", *missing], check=True,
                       env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))


install_missing()
server = subprocess.Popen(
    [f"{build}/tools/standin/bramix-standin", "--size", url, str(size)],
    stdout=subprocess.PIPE, text=True)
proxy = server.stdout.readline().strip().split("=", 1)[1]
env = dict(os.environ, http_proxy=proxy)
env.pop("no_proxy", None)
folder = tempfile.mkdtemp(prefix="bramix-bench-")
target = f"{folder}/file.mp3"

# Each tool as a user runs it, writing the same file.
tools = {
    "bramix-cli get": [f"{build}/src/bramix-cli", "get", "-q", f"--dir={folder}", url, "file.mp3"],
    "curl -o": ["curl", "-s", "-o", target, url],
    "wget -O": ["wget", "-q", "-O", target, url],
    "aria2c": ["aria2c", "-q", "--allow-overwrite=true", "--auto-file-renaming=false",
               "-d", folder, "-o", "file.mp3", url],
}


def timed(argv):
    start = time.monotonic()
    child = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.monotonic() - start
    if status != 0:
        sys.exit(f"{argv[0]} failed with status {status}")
    if os.path.getsize(target) != size:
        sys.exit(f"{argv[0]} wrote {os.path.getsize(target)} bytes, not {size}")
    os.remove(target)  # so that no run pays for another's page cache
    return elapsed, usage.ru_maxrss / 1024


best = {name: float("inf") for name in tools}
bramix_rss = 0.0
try:
    # Rounds in turn, the best of each tool counting.
    for _ in range(rounds):
        for name, argv in tools.items():
            elapsed, rss = timed(argv)
            best[name] = min(best[name], elapsed)
            if name == "bramix-cli get":
                bramix_rss = max(bramix_rss, rss)
finally:
    server.terminate()
    server.wait()
    shutil.rmtree(folder)

megabytes = size / 1024 / 1024
print(f"file:                   {megabytes:.0f} MB over loopback, best of {rounds} rounds")
for name, seconds in best.items():
    print(f"{name + ':':23s} {megabytes / seconds:6.0f} MB/s")
mine = best["bramix-cli get"]
peers = {name: seconds for name, seconds in best.items() if name != "bramix-cli get"}
for name, seconds in peers.items():
    print(f"bramix-cli / {name + ':':10s} {seconds / mine * 100:5.0f}%")
fastest = min(peers, key=peers.get)
print(f"against the best peer:  {peers[fastest] / mine * 100:.0f}% of {fastest} (goal 100%)")
print(f"bramix-cli peak RSS:    {bramix_rss:.1f} MB (goal under 30 MB)")
sys.exit(0 if mine <= peers[fastest] and bramix_rss < 30 else 1)
