#!/usr/bin/python3
"""Times reading the same generated data as the program's own text, as CSV (comma; semicolon
with decimal comma), as an .xlsx and an .ods written by LibreOffice and as an SPSS .sav
written by R's haven, through kwtest (its "read file" stage, KW_TIMING), beside pandas'
read_csv and read_excel and R's haven. Run through bench/compare --readers."""

import argparse
import os
import re
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "bin")
DATA = os.path.join(ROOT, "build", "bench-data")


def generated(shape, n, seed):
    """The program's text file of the data, and the same data in the other forms."""
    os.makedirs(DATA, exist_ok=True)
    base = os.path.join(DATA, f"{shape}_{n}_{seed}")
    txt = base + ".txt"
    if not os.path.exists(txt):
        subprocess.run([os.path.join(BIN, "kwgendata"), shape, str(n), str(seed), txt],
                       check=True)
    forms = {"text": txt}
    lines = None

    def write(path, make):
        nonlocal lines
        if not os.path.exists(path):
            if lines is None:
                with open(txt, encoding="ascii") as f:
                    lines = f.read().splitlines()
            with open(path + ".part", "w", encoding="ascii", newline="\n") as f:
                f.write(make(lines))
            os.replace(path + ".part", path)
        return path

    forms["csv"] = write(base + ".csv", lambda ls: "\n".join(l.replace(" ", ",") for l in ls) + "\n")
    forms["csv ; decimal comma"] = write(
        base + "-semicolon.csv",
        lambda ls: "\n".join(l.replace(".", ",").replace(" ", ";") for l in ls) + "\n")
    # Three columns for the workbooks: the case number, the group and the value.
    three = write(base + "-3.csv", lambda ls: "case," + ls[0].replace(" ", ",") + "\n" + "".join(
        f"{i},{l.replace(' ', ',')}\n" for i, l in enumerate(ls[1:], 1)))
    forms["csv 3 columns"] = three
    for ext in ("xlsx", "ods"):
        target = base + "-3." + ext
        if not os.path.exists(target):
            with tempfile.TemporaryDirectory() as profile:
                subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{profile}",
                                "--infilter=CSV:44,34,76,1", "--convert-to", ext, "--outdir",
                                DATA, three], check=True, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
        forms[ext] = target
    sav = base + "-3.sav"
    if not os.path.exists(sav):
        subprocess.run(["Rscript", "-e", "haven::write_sav(utils::read.csv(commandArgs(TRUE)[1]), "
                        "commandArgs(TRUE)[2])", three, sav], check=True)
    forms["sav"] = sav
    return forms


def kwtest_read(path):
    """kwtest's whole run and its reading stage, in seconds, and its peak memory in MB."""
    env = dict(os.environ, KW_TIMING="1")
    # The peak memory through time(1): a child's own figure from this process would count
    # the memory this process held when it forked.
    start = time.perf_counter()
    proc = subprocess.run(["/usr/bin/time", "-f", "maxrss %M", os.path.join(BIN, "kwtest"), path,
                           "--group", "group", "--test", "value", "--report", os.devnull],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True, env=env)
    whole = time.perf_counter() - start
    err = proc.stderr
    if proc.returncode != 0:
        sys.exit(f"kwtest failed on {path}: {err}")
    match = re.search(r"^read file\s+([0-9.]+) ms", err, re.M)
    memory = re.search(r"^maxrss (\d+)", err, re.M)
    return float(match.group(1)) / 1000, whole, int(memory.group(1)) / 1024


PANDAS = """
import sys, time, pandas as pd
path, kind = sys.argv[1], sys.argv[2]
start = time.perf_counter()
if kind == "csv": pd.read_csv(path)
elif kind == "csv ; decimal comma": pd.read_csv(path, sep=";", decimal=",")
elif kind in ("xlsx", "ods"): pd.read_excel(path)
else: pd.read_csv(path, sep=" ")
print(time.perf_counter() - start)
"""

HAVEN = "s <- Sys.time(); invisible(haven::read_sav(commandArgs(TRUE)[1])); " \
        "cat(as.numeric(Sys.time() - s, units = 'secs'))"


def other_read(kind, path):
    if kind == "sav":
        out = subprocess.run(["Rscript", "-e", HAVEN, path], capture_output=True, text=True)
        return ("R haven", float(out.stdout)) if out.returncode == 0 else ("R haven", None)
    out = subprocess.run(["/usr/bin/python3", "-c", PANDAS, path, kind], capture_output=True,
                         text=True)
    return ("pandas", float(out.stdout) if out.returncode == 0 else None)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--sizes", default="1000000")
    parser.add_argument("--shapes", default="g10,t3")
    parser.add_argument("--reps", type=int, default=3)
    parser.add_argument("--seed", type=int, default=20261208)
    args = parser.parse_args()
    print(f"machine: {os.cpu_count()} cores; medians of {args.reps} runs, seconds; kwtest's "
          "reading stage (KW_TIMING) and whole run, its peak memory, the other reader's time "
          "(its interpreter's start left out)")
    print("| shape | cases | file | kwtest read s | vs text | kwtest whole s | kwtest MB | "
          "other | other read s |")
    print("|---|---|---|---|---|---|---|---|---|")
    for n in [int(s) for s in args.sizes.split(",")]:
        for shape in args.shapes.split(","):
            forms = generated(shape, n, args.seed)
            text_read = None
            for kind, path in forms.items():
                runs = [kwtest_read(path) for _ in range(args.reps)]
                read = statistics.median(r[0] for r in runs)
                whole = statistics.median(r[1] for r in runs)
                memory = max(r[2] for r in runs)
                if kind == "text":
                    text_read = read
                # pandas takes minutes for a workbook of this size: once is enough there.
                slow = kind in ("xlsx", "ods")
                others = [other_read(kind, path) for _ in range(1 if slow else args.reps)]
                name = others[0][0]
                times = [t for _, t in others if t is not None]
                other = f"{statistics.median(times):.3f}" if times else "failed"
                print(f"| {shape} | {n:,} | {kind} | {read:.3f} | {read / text_read:.2f} | "
                      f"{whole:.3f} | {memory:.0f} | {name} | {other} |", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
