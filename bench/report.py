#!/usr/bin/env python3
"""Prints the benchmark figures beside their floors and the ratios.

    report.py BENCH.json MEMORY_KB [PREVIEW_KB] [--markdown]

BENCH.json is Google Benchmark's JSON output of tv_bench run with repetitions
(the medians are used); MEMORY_KB is the peak resident set of
bench_wizardmemory on the 200,000-row table.
"""
import json
import sys

# (what, measured, [(floor label, floor benchmark)], ratio limit, absolute limit in ms)
ROWS = [
    ("Start-up to the wizard shown (sample installation)", "StartUp/Wizard",
     [("bare Qt window", "StartUp/BareWindow"),
      ("bare window with a line of text", "StartUp/BareWindowWithText")], 1.5, None),
    ("  the wizard window alone, in a running program", "StartUp/WizardWindowInProcess",
     [], None, None),
    ("Pick-list fill, CONTACT.DB of 200,000 rows", "PickListFill/Contacts200k",
     [("same fill, empty table", "PickListFill/EmptyTable"),
      ("reading the two headers", "PickListFill/HeaderBytes")], 1.2, 10.0),
    ("Listing 10,000 reports (opening the selection dialog)", "ReportList/SelectionDialog",
     [("plain loop: list, open, two lines", "ReportList/PlainLoop")], 2.0, None),
    ("  of which the listing alone (ReportList::list)", "ReportList/ListOnly",
     [("plain loop: list, open, two lines", "ReportList/PlainLoop")], None, None),
    ("Loading a 200-field report (LoadConfig)", "ReportFile/LoadConfig",
     [("reading its bytes", "ReportFile/PlainRead")], None, 20.0),
    ("Writing it back (WriteTheReportFile)", "ReportFile/WriteTheReportFile",
     [("writing the bytes", "ReportFile/PlainWrite"),
      ("writing, fsync, rename", "ReportFile/PlainWriteFsyncRename")], None, 20.0),
    ("Reading every row and field, table reader", "TableRead/ParadoxReader",
     [("reading the file's bytes", "TableRead/FileBytes")], 3.0, None),
    ("  the same, password-protected against unprotected", "TableRead/ParadoxReader",
     [("same contacts, unprotected", "TableRead/ParadoxReaderUnprotected")], 1.2, None),
    ("Reading every row and field, table cursor", "TableRead/TableCursor",
     [("reading the file's bytes", "TableRead/FileBytes")], None, None),
    ("Fit check of every column, 200,000 rows", "Preview/FitCheckEveryColumn",
     [("reading the file's bytes", "TableRead/FileBytes"),
      ("same fit check, unprotected table", "Preview/FitCheckEveryColumnUnprotected")], 3.0, None),
    ("  its CPU time, both threads of the scan together", "Preview/FitCheckEveryColumn#cpu",
     [("reading the file's bytes", "TableRead/FileBytes")], None, None),
    ("First preview page (address list, 200,000 rows)", "Preview/FirstPage",
     [], None, 150.0),
]

UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}


def medians(path):
    with open(path) as f:
        data = json.load(f)
    out = {}
    for b in data["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b["run_name"]
        # Drop the "/iterations:N", "/manual_time", "/min_time" suffixes.
        key = "/".join(p for p in name.split("/")
                       if not p.startswith(("iterations:", "manual_time", "real_time", "min_time")))
        if b.get("error_occurred"):
            out[key] = out[key + "#cpu"] = None
            continue
        out[key] = b["real_time"] * UNIT_MS[b.get("time_unit", "ns")]
        # The CPU time; the process's (every thread) where the benchmark
        # measures that.
        out[key + "#cpu"] = b["cpu_time"] * UNIT_MS[b.get("time_unit", "ns")]
    return out, data.get("context", {})


def fmt(ms):
    if ms is None:
        return "failed"
    if ms >= 100:
        return "%.0f ms" % ms
    if ms >= 1:
        return "%.1f ms" % ms
    return "%.3f ms" % ms


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    markdown = "--markdown" in sys.argv
    figures, context = medians(args[0])
    peak_kb = int(args[1]) if len(args) > 1 and args[1].isdigit() else None
    preview_kb = int(args[2]) if len(args) > 2 and args[2].isdigit() else None

    lines = []
    header = ("What", "Median", "Floor", "Floor median", "Ratio", "Target", "Holds")
    for what, measured, floors, ratio_limit, abs_limit in ROWS:
        m = figures.get(measured)
        first = True
        for label, floor in floors or [("-", None)]:
            f = figures.get(floor) if floor else None
            ratio = (m / f) if (m is not None and f) else None
            target = []
            holds = []
            if first and ratio_limit is not None:
                target.append("<= %.1fx" % ratio_limit)
                holds.append(ratio is not None and ratio <= ratio_limit)
            if first and abs_limit is not None:
                target.append("< %g ms" % abs_limit)
                holds.append(m is not None and m < abs_limit)
            lines.append((what if first else "", fmt(m) if first else "", label,
                          fmt(f) if floor else "-",
                          "%.2f" % ratio if ratio is not None else "-",
                          ", ".join(target), ("yes" if all(holds) else "NO") if holds else ""))
            first = False
    mem = "%.1f MB" % (peak_kb / 1024.0) if peak_kb else "not measured"
    lines.append(("Peak memory, wizard on the 200,000-row table", mem, "-", "-", "-", "< 80 MB",
                  ("yes" if peak_kb and peak_kb < 80 * 1024 else "NO") if peak_kb else ""))
    if preview_kb:
        lines.append(("Peak memory, preview of every column of it", "%.1f MB" % (preview_kb / 1024.0),
                      "-", "-", "-", "< 80 MB", "yes" if preview_kb < 80 * 1024 else "NO"))

    if markdown:
        print("| " + " | ".join(header) + " |")
        print("|" + "|".join("---" for _ in header) + "|")
        for row in lines:
            print("| " + " | ".join(row) + " |")
    else:
        widths = [max(len(r[i]) for r in lines + [header]) for i in range(len(header))]
        for row in [header] + lines:
            print("  ".join(c.ljust(w) for c, w in zip(row, widths)).rstrip())
    load = context.get("load_avg")
    if load:
        print()
        print("Load average during the run: %s (%s CPUs)" %
              (", ".join("%.2f" % x for x in load), context.get("num_cpus", "?")))


if __name__ == "__main__":
    main()
