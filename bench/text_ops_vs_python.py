#!/usr/bin/env python3
"""Times each text operation of RulesBench against Python 3's own string
methods on the very same 200,000-character text.

    python3 bench/text_ops_vs_python.py [--bench build/bench/RulesBench]

Writes the text to a temporary UTF-8 file, times Python (CPU time, median
of several runs), runs RulesBench on the same file and prints both figures
per operation with the ratio C++ / Python (below 1 means C++ is faster).
"""
import argparse
import json
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time

CODE_POINTS = 200_000

WORDS = ["The", "quick", "brown", "fox", "Straße", "ÉCOLE", "naïve", "crème", "brûlée", "Ελληνικά",
         "ΟΔΟΣ", "Ärger", "漢字", "東京都", "かな", "한국어", "🙂", "👍🏽", "🇩🇪", "ǆemal", "İstanbul",
         "ﬁsh", "e\u0301te\u0301"]
GAPS = [" ", " ", " ", "  ", "\t", " \t ", "\n", "\r\n", "\u00a0", "\u3000", " \n  "]

# Line-edge whitespace: category Zs plus the tab.
ZS_AND_TAB = "\t \u00a0\u1680\u2000\u2001\u2002\u2003\u2004\u2005\u2006\u2007\u2008\u2009\u200a\u202f\u205f\u3000"


def sample_text():
    rng = random.Random(42)
    parts, size = [], 0
    while size < CODE_POINTS:
        for piece in (rng.choice(WORDS), rng.choice(GAPS)):
            parts.append(piece)
            size += len(piece)
    return "".join(parts)[:CODE_POINTS]


def lines(text):
    return text.replace("\r\n", "\n").replace("\r", "\n").split("\n")


PYTHON_OPS = {
    "plain": lambda t: t,
    "uppercase": str.upper,
    "lowercase": str.lower,
    "titleCase": str.title,
    "trimLines": lambda t: "\n".join(line.strip(ZS_AND_TAB) for line in lines(t)),
    "collapseSpaces": lambda t: "\n".join(" ".join(line.split()) for line in lines(t)),
}


def time_python(op, text, runs=7, loops=20):
    samples = []
    for _ in range(runs):
        start = time.process_time()
        for _ in range(loops):
            op(text)
        samples.append((time.process_time() - start) / loops * 1000)
    return statistics.median(samples)


def time_cpp(bench, path):
    out = subprocess.run(
        [bench, f"--text_file={path}", "--benchmark_filter=TextOperation",
         "--benchmark_repetitions=7", "--benchmark_report_aggregates_only=true",
         "--benchmark_format=json"],
        check=True, capture_output=True, text=True).stdout
    results = {}
    for entry in json.loads(out)["benchmarks"]:
        if entry.get("aggregate_name") == "median":
            assert entry["time_unit"] == "ms"
            results[entry["label"]] = entry["cpu_time"]
    return results


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("--bench", default=os.path.join(root, "build", "bench", "RulesBench"))
    args = parser.parse_args()

    text = sample_text()
    with tempfile.NamedTemporaryFile("w", encoding="utf-8", suffix=".txt", delete=False) as f:
        f.write(text)
        path = f.name
    try:
        cpp = time_cpp(args.bench, path)
        print(f"text: {len(text)} code points, {len(text.encode('utf-16-le')) // 2} UTF-16 units, "
              f"{text.count(chr(10))} line feeds; CPU time per operation, median")
        print(f"{'operation':<16}{'Python ms':>11}{'C++ ms':>10}{'C++/Py':>9}  goal (< 5 ms, not slower)")
        failed = False
        for name, op in PYTHON_OPS.items():
            py = time_python(op, text)
            c = cpp[name]
            ratio = c / py if py > 0 else float("inf")
            ok = c < 5 and (name == "plain" or ratio <= 1)
            failed |= not ok
            print(f"{name:<16}{py:>11.3f}{c:>10.3f}{ratio:>9.2f}  {'met' if ok else 'MISSED'}")
        return 1 if failed else 0
    finally:
        os.unlink(path)


if __name__ == "__main__":
    sys.exit(main())
