#!/usr/bin/env python3
"""Times the native gamelist-cli against Python's ElementTree writing the same
list of 100,000 games, taking turns in this run, and prints the CPU time
(user + system) and peak memory (maximum resident set) of each process with
the ratios the engine is held to: at least 10x less CPU time than
ElementTree, and a peak below ElementTree's and below three times the file.
Each figure is the best of three runs, since a busy machine only adds time.

Usage: cli_vs_elementtree.py GAMELIST_CLI
"""
import os
import pathlib
import sys
import tempfile

from typical_lines import typical_lines

MIB = 1024 * 1024
ROUNDS = 3


def measure(argv):
    """Runs argv to its end; returns its CPU seconds and peak bytes."""
    pid = os.posix_spawn(argv[0], argv, os.environ)
    _, status, usage = os.wait4(pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{argv[0]} failed")
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024  # Linux counts KiB


def verdict(holds):
    return "holds" if holds else "MISSED"


def main(cli):
    here = pathlib.Path(__file__).resolve().parent
    with tempfile.TemporaryDirectory(prefix="gamelist-vs-elementtree.") as work:
        work = pathlib.Path(work)
        (work / "list.txt").write_text("\n".join(typical_lines()) + "\n", encoding="utf-8")
        cli_out, et_out = work / "cli.xml", work / "elementtree.xml"
        cli_runs, et_runs = [], []
        for _ in range(ROUNDS):
            with open(os.devnull, "w") as quiet:
                saved = os.dup(1)
                os.dup2(quiet.fileno(), 1)  # gamelist-cli's "wrote ..." line
                try:
                    cli_runs.append(measure([os.path.abspath(cli), "--out", str(cli_out),
                                             "--from-list", str(work / "list.txt")]))
                finally:
                    os.dup2(saved, 1)
            et_runs.append(measure([sys.executable, str(here / "elementtree_gamelist.py"),
                                    str(work / "list.txt"), str(et_out)]))
        cli_cpu, cli_peak = min(cpu for cpu, _ in cli_runs), max(peak for _, peak in cli_runs)
        et_cpu, et_peak = min(cpu for cpu, _ in et_runs), min(peak for _, peak in et_runs)
        size = cli_out.stat().st_size
        same = cli_out.read_bytes() == et_out.read_bytes()

    for name, runs in (("gamelist-cli (native, optimised)", cli_runs),
                       (f"Python {sys.version.split()[0]} ElementTree", et_runs)):
        print(name + ":" + "".join(f"   cpu {cpu * 1e3:7.1f} ms, peak {peak / MIB:5.1f} MiB" for cpu, peak in runs))
    print(f"  (file {size / MIB:.1f} MiB; {'the same bytes from both' if same else 'THE FILES DIFFER'})")
    print(f"ElementTree CPU / gamelist-cli CPU: {et_cpu / cli_cpu:5.2f}x (target at least 10x: "
          f"{verdict(et_cpu >= 10 * cli_cpu)})")
    print(f"gamelist-cli peak / ElementTree's:  {cli_peak / et_peak:5.2f}x (target below 1x: "
          f"{verdict(cli_peak < et_peak)})")
    print(f"gamelist-cli peak / file size:      {cli_peak / size:5.2f}x (target under 3x: "
          f"{verdict(cli_peak < 3 * size)})")
    return 0 if same else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
