#!/usr/bin/env python3
"""Draws docs/big_seller.svg from the big-seller benchmark's JSON output.

    build/bench/big_seller_bench --benchmark_out=big_seller.json --benchmark_out_format=json
    python3 scripts/perf_chart.py big_seller.json [more.json ...] docs/big_seller.svg

Two panels against the shop size (SKUs per shop, 1 000 / 10 000 / 50 000):
the program's own time per request beside the stand-in's (with the 1 % of
the 200 ms pacing the program may spend), and the headless sync's peak
memory: the program's resident set, and the proportional set of the program
with the log-in's browser processes (with the 300 MB it may use). Plain SVG, no plotting library.
"""
import json
import sys


def load(paths):
    rows = []
    for path in paths:
        with open(path, encoding="utf-8") as f:
            data = json.load(f)
        rows += rows_of(data)
    rows.sort(key=lambda r: r["size"])
    return rows


def rows_of(data):
    rows = []
    for b in data.get("benchmarks", []):
        if "skus_per_shop" not in b:
            continue
        # the CPU time of the program's thread (jobs, SQL, decoding) during
        # the cycle, without the stand-in's threads
        rows.append({
            "size": int(b["skus_per_shop"]),
            "program_cpu_us": float(b.get("program_cpu_us_per_request", 0)),
            "program_us": float(b.get("program_us_per_request", 0)),
            "standin_us": float(b.get("standin_us_per_request", 0)),
            "rss_mb": float(b.get("headless_peak_rss_mb", 0)),
            "tree_mb": float(b.get("headless_with_browser_peak_pss_mb", 0)),
            "fill_ms": float(b.get("diff_fill_ms", 0)),
        })
    return rows


def panel(x0, y0, w, h, title, unit, sizes, series, limit, limit_label):
    """One bar panel: series is [(label, colour, values)], limit a dashed line."""
    out = []
    top = max([limit] + [v for _, _, vals in series for v in vals]) * 1.15 or 1
    out.append(f'<text x="{x0 + w / 2}" y="{y0 - 12}" text-anchor="middle" font-size="14" '
               f'font-weight="bold">{title}</text>')
    out.append(f'<line x1="{x0}" y1="{y0 + h}" x2="{x0 + w}" y2="{y0 + h}" stroke="#333"/>')
    out.append(f'<line x1="{x0}" y1="{y0}" x2="{x0}" y2="{y0 + h}" stroke="#333"/>')
    for i in range(5):
        v = top * i / 4
        y = y0 + h - h * i / 4
        out.append(f'<line x1="{x0 - 4}" y1="{y}" x2="{x0 + w}" y2="{y}" stroke="#ddd"/>')
        out.append(f'<text x="{x0 - 6}" y="{y + 4}" text-anchor="end" font-size="11">{v:.0f}</text>')
    out.append(f'<text x="{x0 - 42}" y="{y0 + h / 2}" font-size="11" transform="rotate(-90 {x0 - 42} {y0 + h / 2})" '
               f'text-anchor="middle">{unit}</text>')
    group = w / max(1, len(sizes))
    bar = group / (len(series) + 1)
    for gi, size in enumerate(sizes):
        gx = x0 + gi * group
        for si, (label, colour, vals) in enumerate(series):
            v = vals[gi]
            bh = h * v / top
            bx = gx + bar * (si + 0.5)
            out.append(f'<rect x="{bx:.1f}" y="{y0 + h - bh:.1f}" width="{bar * 0.9:.1f}" height="{bh:.1f}" '
                       f'fill="{colour}"/>')
            out.append(f'<text x="{bx + bar * 0.45:.1f}" y="{y0 + h - bh - 3:.1f}" text-anchor="middle" '
                       f'font-size="10">{v:.1f}</text>')
        out.append(f'<text x="{gx + group / 2:.1f}" y="{y0 + h + 16}" text-anchor="middle" font-size="11">'
                   f'{size:,} SKU</text>')
    ly = y0 + h - h * limit / top
    out.append(f'<line x1="{x0}" y1="{ly:.1f}" x2="{x0 + w}" y2="{ly:.1f}" stroke="#c00" stroke-dasharray="6,4"/>')
    out.append(f'<text x="{x0 + w - 4}" y="{ly - 4:.1f}" text-anchor="end" font-size="11" fill="#c00">'
               f'{limit_label}</text>')
    lx = x0 + 8
    for si, (label, colour, _) in enumerate(series):
        out.append(f'<rect x="{lx}" y="{y0 + 6 + si * 16}" width="10" height="10" fill="{colour}"/>')
        out.append(f'<text x="{lx + 14}" y="{y0 + 15 + si * 16}" font-size="11">{label}</text>')
    return out


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    rows = load(sys.argv[1:-1])
    if not rows:
        sys.exit("no big-seller rows in " + " ".join(sys.argv[1:-1]))
    sizes = [r["size"] for r in rows]
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="900" height="340" font-family="sans-serif">',
             '<rect width="900" height="340" fill="white"/>']
    parts += panel(80, 40, 330, 240, "time per request", "µs", sizes,
                   [("program, CPU", "#3a7bd5", [r["program_cpu_us"] for r in rows]),
                    ("program, wall clock", "#9bbbe8", [r["program_us"] for r in rows]),
                    ("stand-in, wall clock", "#aaa", [r["standin_us"] for r in rows])],
                   2000, "1 % of 200 ms")
    parts += panel(530, 40, 330, 240, "headless sync, peak memory", "MB", sizes,
                   [("program, peak RSS", "#2e9e5b", [r["rss_mb"] for r in rows]),
                    ("with the log-in's browser, peak PSS", "#9fd4b2", [r["tree_mb"] for r in rows])],
                   300, "300 MB")
    parts.append("</svg>")
    with open(sys.argv[-1], "w", encoding="utf-8") as f:
        f.write("\n".join(parts) + "\n")


if __name__ == "__main__":
    main()
