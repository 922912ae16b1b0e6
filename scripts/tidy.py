#!/usr/bin/env python3
"""Runs clang-tidy (the checks in .clang-tidy) over every source of src/, tools/,
tests/ and bench/ that a built tree compiles; exits 1 on any finding.

    scripts/tidy.py [BUILD_DIR] [-j N] [--no-cache]

BUILD_DIR (default: build) must be a Ninja build that has been built: clang-tidy
reads its compile_commands.json and the moc output, and the cache reads Ninja's
record of each source's headers.

A source found clean is remembered under a key made of the bytes of everything it
included, its compile command, the checks and clang-tidy's version: the next run
checks again only what changed. The cache lives in $QB_TIDY_CACHE, by default
~/.cache/quillbank2-tidy; entries not used for 30 days go.
"""

import argparse
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
import time

ROOT = os.path.realpath(os.path.join(os.path.dirname(__file__), ".."))
OURS = re.compile(re.escape(ROOT) + r"/(src|tools|tests|bench)/")
CLANG_TIDY = "clang-tidy"
# gcc's compile commands may name warnings clang does not know.
EXTRA = ["--quiet", "--warnings-as-errors=*", "--extra-arg=-Wno-unknown-warning-option"]
CACHE_DAYS = 30


def object_of(command):
    args = shlex.split(command)
    return args[args.index("-o") + 1] if "-o" in args else None


def ninja_deps(build):
    """Maps each object to the files its compile read, or omits it when Ninja's
    record is stale or missing."""
    r = subprocess.run(["ninja", "-C", build, "-t", "deps"], capture_output=True, text=True)
    if r.returncode != 0:
        return {}
    out = r.stdout
    deps, current = {}, None
    for line in out.splitlines():
        if line.startswith("    ") and current is not None:
            deps[current].append(line.strip())
        elif line and not line.startswith(" "):
            obj, _, state = line.partition(": #deps")
            current = obj if state.rstrip().endswith("(VALID)") else None
            if current is not None:
                deps[current] = []
    return deps


class Keys:
    def __init__(self, build):
        self.build = build
        self.file_hashes = {}
        self.mtimes = {}
        version = subprocess.run([CLANG_TIDY, "--version"], capture_output=True, text=True,
                                 check=True).stdout
        common = hashlib.sha256(version.encode())
        configs = subprocess.run(["git", "-C", ROOT, "ls-files", "-z", "--", "*.clang-tidy"],
                                 capture_output=True, text=True, check=True).stdout.split("\0")
        for path in sorted(p for p in configs if p):
            common.update(path.encode() + b"\0" + self.content(os.path.join(ROOT, path)))
        # What this script passes is all that it adds to the result.
        common.update(json.dumps(EXTRA).encode())
        self.common = common.digest()

    def content(self, path):
        with open(path, "rb") as f:
            return f.read()

    def portable(self, text):
        # The same tree in another folder or build directory gets the same key.
        return text.replace(self.build, "<build>").replace(ROOT, "<root>")

    def file_hash(self, path):
        if path not in self.file_hashes:
            self.file_hashes[path] = hashlib.sha256(self.content(path)).digest()
        return self.file_hashes[path]

    def mtime(self, path):
        if path not in self.mtimes:
            self.mtimes[path] = os.path.getmtime(path)
        return self.mtimes[path]

    def key(self, entry, obj, deps):
        """None when the build is older than a file it read: what that file
        includes now may differ from Ninja's record."""
        built = self.mtime(os.path.join(entry["directory"], obj))
        h = hashlib.sha256(self.common)
        h.update(self.portable(entry["command"]).encode())
        for dep in deps:
            path = os.path.normpath(os.path.join(entry["directory"], dep))
            if self.mtime(path) > built:
                return None
            h.update(self.portable(path).encode() + b"\0" + self.file_hash(path))
        return h.hexdigest()


def check(build, file):
    r = subprocess.run([CLANG_TIDY, "-p", build, *EXTRA, file], capture_output=True, text=True)
    report = r.stdout
    if r.returncode != 0:
        # The compiler's errors and the summary line come on stderr.
        report += "".join(l + "\n" for l in r.stderr.splitlines() if "warnings generated" not in l)
    return r.returncode == 0 and "warning:" not in r.stdout, report


def edited_since(entry, deps, started):
    """Whether a file the key was made of changed while clang-tidy read it."""
    try:
        return any(os.path.getmtime(os.path.join(entry["directory"], d)) >= started for d in deps)
    except FileNotFoundError:
        return True


def prune(cache):
    limit = time.time() - CACHE_DAYS * 86400
    for name in os.listdir(cache):
        path = os.path.join(cache, name)
        if os.path.getmtime(path) < limit:
            os.remove(path)


def main():
    ap = argparse.ArgumentParser(description="clang-tidy over our sources, with a cache of clean results")
    ap.add_argument("build", nargs="?", default="build")
    ap.add_argument("-j", type=int, default=os.cpu_count())
    ap.add_argument("--no-cache", action="store_true")
    args = ap.parse_args()

    build = os.path.realpath(args.build)
    with open(os.path.join(build, "compile_commands.json")) as f:
        entries = [e for e in json.load(f) if OURS.match(os.path.realpath(e["file"]))]
    if not entries:
        sys.exit(f"tidy: no sources of ours in {build}/compile_commands.json")

    cache = None if args.no_cache else os.environ.get("QB_TIDY_CACHE") or os.path.join(
        os.path.expanduser("~"), ".cache", "quillbank2-tidy")
    keys, deps = (Keys(build), ninja_deps(build)) if cache else (None, {})
    if cache:
        os.makedirs(cache, exist_ok=True)

    todo, hits = [], 0
    started = time.time()
    for e in entries:
        obj = object_of(e["command"])
        key = None
        if cache and obj in deps:
            try:
                key = keys.key(e, obj, deps[obj])
            except FileNotFoundError:
                key = None  # a file gone since the build: check, do not remember
        if key and os.path.exists(os.path.join(cache, key)):
            os.utime(os.path.join(cache, key))
            hits += 1
        else:
            todo.append((e, key))

    failed = []
    with concurrent.futures.ThreadPoolExecutor(max(1, args.j)) as pool:
        runs = {pool.submit(check, build, e["file"]): (e, key) for e, key in todo}
        for run in concurrent.futures.as_completed(runs):
            e, key = runs[run]
            clean, report = run.result()
            if clean:
                if key and not edited_since(e, deps[object_of(e["command"])], started):
                    open(os.path.join(cache, key), "wb").close()
            else:
                failed.append(os.path.relpath(e["file"], ROOT))
                sys.stdout.write(report)
                sys.stdout.flush()

    if cache:
        prune(cache)
    print(f"tidy: {len(entries)} sources, {hits} unchanged since found clean, {len(todo)} checked, "
          f"{len(failed)} with findings")
    for f in sorted(failed):
        print(f"  {f}")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
