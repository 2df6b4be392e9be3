#!/usr/bin/env python3
"""Downloads one large file from the stand-in web over loopback, once with
`curl -o` and once with `bramix-cli get`, and prints both throughputs, their
ratio (target: at least 90%) and bramix-cli's peak resident memory (target:
under 30 MB, whatever the size).

Usage: bench/download_bench.py [BUILD_DIR] [SIZE_MB]   (defaults: build, 1024)
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

build = sys.argv[1] if len(sys.argv) > 1 else "build"
size = int(sys.argv[2] if len(sys.argv) > 2 else 1024) * 1024 * 1024
url = "http://files.example.com/big.mp3"

server = subprocess.Popen(
    [f"{build}/tools/standin/bramix-standin", "--size", url, str(size)],
    stdout=subprocess.PIPE, text=True)
proxy = server.stdout.readline().strip().split("=", 1)[1]
env = dict(os.environ, http_proxy=proxy)
folder = tempfile.mkdtemp(prefix="bramix-bench-")


def timed(argv):
    start = time.monotonic()
    child = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    elapsed = time.monotonic() - start
    if status != 0:
        sys.exit(f"{argv[0]} failed with status {status}")
    return elapsed, usage.ru_maxrss / 1024


curl_time = bramix_time = float("inf")
bramix_rss = 0.0
try:
    # Alternating rounds, each file removed at once, so that neither run pays
    # for the other's page cache.
    for _ in range(2):
        elapsed, _ = timed(["curl", "-s", "-o", f"{folder}/curl.mp3", url])
        curl_time = min(curl_time, elapsed)
        os.remove(f"{folder}/curl.mp3")
        elapsed, rss = timed(
            [f"{build}/src/bramix-cli", "get", f"--dir={folder}", url, "bramix.mp3"])
        bramix_time = min(bramix_time, elapsed)
        bramix_rss = max(bramix_rss, rss)
        assert os.path.getsize(f"{folder}/bramix.mp3") == size
        os.remove(f"{folder}/bramix.mp3")
finally:
    server.terminate()
    server.wait()
    shutil.rmtree(folder)

megabytes = size / 1024 / 1024
print(f"file:                  {megabytes:.0f} MB over loopback")
print(f"curl -o:               {megabytes / curl_time:.0f} MB/s")
print(f"bramix-cli get:        {megabytes / bramix_time:.0f} MB/s")
print(f"bramix / curl:         {curl_time / bramix_time * 100:.0f}% (target 90%)")
print(f"bramix-cli peak RSS:   {bramix_rss:.1f} MB (target 30 MB)")
