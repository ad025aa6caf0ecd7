#!/usr/bin/env python3
"""Writes the sample die-spring catalogue as CSV files.

The real maker's catalogue is not ours to ship, so the program comes with a
sample that behaves like one: the same 22 series tables, the same fields, sizes
ordered as a catalogue prints them, and values from public rules of thumb for
die springs. The numbers are plausible, not any maker's data.

Run it from anywhere (python3, standard library only):

    python3 catalogue/sample/generate_catalogue.py [--out FOLDER]

It rewrites catalogue/sample/ZEKA/<series>.csv (the sizes),
catalogue/sample/ZEKA/DB_VERSION.csv (the catalogue's version) and
catalogue/sample/ZEKA_D/<series>.csv (the outer-diameter lists), or the same
two folders below FOLDER. The build turns these CSV files into ZEKA.mdb and
ZEKA_D.mdb with make_catalogue (catalogue/sample/make_catalogue.cpp); it never runs this script.

The model
---------
Every series has a wire class (round or square), a rate constant c (N/mm^2),
three allowed-deflection ratios p100 / p50 / p30 (for one million, five hundred
thousand and three hundred thousand strokes) and a maximum deflection ratio s.

    series  class                                c      p100   p50    p30    s
    WY      round, extra light                   0.92   0.40   0.45   0.50   0.625
    WF      round, light                         1.89   0.32   0.36   0.40   0.50
    WL      round stainless, light               1.36   0.32   0.36   0.40   0.50
    WT      round, medium-light                  2.60   0.288  0.324  0.36   0.45
    WM      round, medium                        3.53   0.256  0.288  0.32   0.40
    WR      round stainless, medium              2.54   0.256  0.288  0.32   0.40
    WH      round, heavy                         7.56   0.192  0.216  0.24   0.30
    WB      round, extra heavy                   10.5   0.16   0.18   0.20   0.25
    SWY     square, extra light                  1.32   0.40   0.45   0.50   0.625
    SWU     square long-stroke, light            1.08   0.44   0.495  0.55   0.688
    SWR     square long-stroke, medium           2.22   0.36   0.405  0.45   0.5625
    SWS     square long-stroke, heavy            3.71   0.304  0.342  0.38   0.475
    SWF     square, light                        2.70   0.32   0.36   0.40   0.50
    SWL     square, medium-light                 3.65   0.288  0.324  0.36   0.45
    SWM     square, medium                       5.04   0.256  0.288  0.32   0.40
    SWH     square, heavy                        10.8   0.192  0.216  0.24   0.30
    SWB     square, extra heavy                  17.4   0.16   0.18   0.20   0.25
    SWC     square heat-resistant, medium        4.10   0.256  0.288  0.32   0.40
    SWG     square, light (ISO housing)          1.93   0.30   0.35   0.40   0.641
    SWZ     square, medium (ISO housing)         4.32   0.25   0.28   0.32   0.481
    SWV     square, heavy (ISO housing)          8.55   0.20   0.225  0.25   0.385
    SWX     square, extra heavy (ISO housing)    13.8   0.17   0.19   0.21   0.321

Outer diameters D1 (mm):
    round wire (WB .. WY):        4 5 6 8 10 12 14 16 18 20 22 25 30
    SWB .. SWY (square, not ISO): 6 8 10 12 14 16 18 20 22 25 27 30 35 40 50 60
    SWG, SWV, SWX, SWZ (ISO):     10 12.5 16 20 25 32 40 50 63

Free lengths l (mm): those of 10 15 20 25 30 35 40 45 50 55 60 65 70 75 80 90
100 125 150 175 200 250 300 with D1 <= l <= 10 D1.

Fields of one size (every field filled, no NULL):
    NO      series code + D1 + "-" + l, for example "SWM20-50" (unique per table)
    D1      outer diameter
    D2      inner diameter: D1 / 2 for square wire (exact); for round wire D1
            less two wire sizes of 0.12 D1, that is 0.76 D1, to one decimal
    l       free length
    Lmin    l * (1 - s), to one decimal
    N_mm    c * D1^2 / l, to three significant figures
    kgf_mm  N_mm (the rounded field value) / 9.80665, to three significant figures
    fmm100  p100 * l, to one decimal
    fmm50   p50 * l, to one decimal
    fmm30   p30 * l, to one decimal; in SWC and SWG a size with l >= 6 D1 has no
            rating for three hundred thousand strokes and holds 999 instead

Rounding is decimal and half away from zero, on exact decimal products (the
model's constants are taken as decimal texts, never as binary fractions).
Numbers are written as the program's number text shows them: no trailing
zeros, no exponent ("20", "12.5", "1040", "0.0375").

Rows run in display order: by D1, then by l. The diameter list of a series (the
field d) holds its distinct D1 values ascending.

The script checks, and refuses to write anything otherwise:
    every field is filled and is a number (except NO);
    NO is unique within its series;
    rows are ordered by D1, then l;
    D1 <= l <= 10 D1, 0 < D2 < D1, 0 < Lmin < l, N_mm > 0, kgf_mm > 0;
    fmm100 < fmm50 < fmm30 < l - Lmin wherever fmm30 is not 999;
    999 appears only in SWC and SWG, exactly where l >= 6 D1;
    the diameter list is the distinct D1 values ascending.
"""

import csv
import os
import sys
from decimal import ROUND_HALF_UP, Decimal, getcontext

getcontext().prec = 40

VERSION = "2026.12"

# code: (class, c, p100, p50, p30, s)
SERIES = {
    "WY": ("round", "0.92", "0.40", "0.45", "0.50", "0.625"),
    "WF": ("round", "1.89", "0.32", "0.36", "0.40", "0.50"),
    "WL": ("round", "1.36", "0.32", "0.36", "0.40", "0.50"),
    "WT": ("round", "2.60", "0.288", "0.324", "0.36", "0.45"),
    "WM": ("round", "3.53", "0.256", "0.288", "0.32", "0.40"),
    "WR": ("round", "2.54", "0.256", "0.288", "0.32", "0.40"),
    "WH": ("round", "7.56", "0.192", "0.216", "0.24", "0.30"),
    "WB": ("round", "10.5", "0.16", "0.18", "0.20", "0.25"),
    "SWY": ("square", "1.32", "0.40", "0.45", "0.50", "0.625"),
    "SWU": ("square", "1.08", "0.44", "0.495", "0.55", "0.688"),
    "SWR": ("square", "2.22", "0.36", "0.405", "0.45", "0.5625"),
    "SWS": ("square", "3.71", "0.304", "0.342", "0.38", "0.475"),
    "SWF": ("square", "2.70", "0.32", "0.36", "0.40", "0.50"),
    "SWL": ("square", "3.65", "0.288", "0.324", "0.36", "0.45"),
    "SWM": ("square", "5.04", "0.256", "0.288", "0.32", "0.40"),
    "SWH": ("square", "10.8", "0.192", "0.216", "0.24", "0.30"),
    "SWB": ("square", "17.4", "0.16", "0.18", "0.20", "0.25"),
    "SWC": ("square", "4.10", "0.256", "0.288", "0.32", "0.40"),
    "SWG": ("square", "1.93", "0.30", "0.35", "0.40", "0.641"),
    "SWZ": ("square", "4.32", "0.25", "0.28", "0.32", "0.481"),
    "SWV": ("square", "8.55", "0.20", "0.225", "0.25", "0.385"),
    "SWX": ("square", "13.8", "0.17", "0.19", "0.21", "0.321"),
}

ROUND_DIAMETERS = ["4", "5", "6", "8", "10", "12", "14", "16", "18", "20", "22", "25", "30"]
SQUARE_DIAMETERS = ["6", "8", "10", "12", "14", "16", "18", "20", "22", "25", "27", "30",
                    "35", "40", "50", "60"]
ISO_DIAMETERS = ["10", "12.5", "16", "20", "25", "32", "40", "50", "63"]
ISO_SERIES = {"SWG", "SWV", "SWX", "SWZ"}

LENGTHS = [10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80, 90, 100, 125, 150,
           175, 200, 250, 300]

# Sizes of these series with l >= 6 D1 have no 300,000-stroke rating.
NO_FMM30_SERIES = {"SWC", "SWG"}
NO_FMM30 = Decimal(999)
NEWTONS_PER_KGF = Decimal("9.80665")

COLUMNS = ["NO", "D1", "D2", "l", "Lmin", "N_mm", "kgf_mm", "fmm100", "fmm50", "fmm30"]


def one_decimal(x):
    return x.quantize(Decimal("0.1"), rounding=ROUND_HALF_UP)


def three_figures(x):
    if x <= 0:
        raise ValueError("three significant figures of a non-positive value")
    exponent = x.adjusted() - 2
    return x.quantize(Decimal(1).scaleb(exponent), rounding=ROUND_HALF_UP)


def text(x):
    """The number as the program shows it: plain digits, no trailing zeros."""
    s = format(x, "f")
    if "." in s:
        s = s.rstrip("0").rstrip(".")
    return s


def diameters_of(code):
    if code in ISO_SERIES:
        return [Decimal(d) for d in ISO_DIAMETERS]
    if SERIES[code][0] == "round":
        return [Decimal(d) for d in ROUND_DIAMETERS]
    return [Decimal(d) for d in SQUARE_DIAMETERS]


def sizes_of(code):
    wire, c, p100, p50, p30, s = SERIES[code]
    c, p100, p50, p30, s = (Decimal(v) for v in (c, p100, p50, p30, s))
    rows = []
    for d1 in diameters_of(code):
        for length in LENGTHS:
            l = Decimal(length)
            if not (d1 <= l <= 10 * d1):
                continue
            d2 = d1 / 2 if wire == "square" else one_decimal(d1 * Decimal("0.76"))
            lmin = one_decimal(l * (1 - s))
            n_mm = three_figures(c * d1 * d1 / l)
            kgf_mm = three_figures(n_mm / NEWTONS_PER_KGF)
            fmm100 = one_decimal(p100 * l)
            fmm50 = one_decimal(p50 * l)
            fmm30 = one_decimal(p30 * l)
            if code in NO_FMM30_SERIES and l >= 6 * d1:
                fmm30 = NO_FMM30
            rows.append({
                "NO": code + text(d1) + "-" + text(l),
                "D1": d1, "D2": d2, "l": l, "Lmin": lmin, "N_mm": n_mm, "kgf_mm": kgf_mm,
                "fmm100": fmm100, "fmm50": fmm50, "fmm30": fmm30,
            })
    return rows


def check(code, rows, diameters):
    def fail(message):
        raise SystemExit("%s: %s" % (code, message))

    if not rows:
        fail("no sizes")
    numbers = set()
    previous = None
    for r in rows:
        no = r["NO"]
        if no in numbers:
            fail("NO %s twice" % no)
        numbers.add(no)
        for name in COLUMNS[1:]:
            if r[name] is None:
                fail("%s has no %s" % (no, name))
        key = (r["D1"], r["l"])
        if previous is not None and not previous < key:
            fail("%s out of order" % no)
        previous = key
        d1, l = r["D1"], r["l"]
        if not (d1 <= l <= 10 * d1):
            fail("%s: length outside D1 .. 10 D1" % no)
        if not (0 < r["D2"] < d1):
            fail("%s: D2 outside 0 .. D1" % no)
        if not (0 < r["Lmin"] < l):
            fail("%s: Lmin outside 0 .. l" % no)
        if not (r["N_mm"] > 0 and r["kgf_mm"] > 0):
            fail("%s: rate not positive" % no)
        blocked = code in NO_FMM30_SERIES and l >= 6 * d1
        if (r["fmm30"] == NO_FMM30) != blocked:
            fail("%s: 999 where the rule does not put it, or missing where it does" % no)
        top = l - r["Lmin"] if blocked else r["fmm30"]
        if not (r["fmm100"] < r["fmm50"] < top):
            fail("%s: fmm100 < fmm50 < fmm30 broken" % no)
        if not blocked and not (r["fmm30"] < l - r["Lmin"]):
            fail("%s: fmm30 not below l - Lmin" % no)
    if diameters != sorted(set(r["D1"] for r in rows)):
        fail("diameter list is not the distinct D1 values ascending")


def write_csv(path, header, rows):
    tmp = path + ".tmp"
    with open(tmp, "w", newline="", encoding="utf-8") as f:
        w = csv.writer(f, lineterminator="\n")
        w.writerow(header)
        for row in rows:
            w.writerow(row)
    os.replace(tmp, path)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    args = sys.argv[1:]
    if args and args[0] == "--out" and len(args) == 2:
        here = args[1]
    elif args:
        raise SystemExit("usage: generate_catalogue.py [--out FOLDER]")
    sizes_dir = os.path.join(here, "ZEKA")
    diameters_dir = os.path.join(here, "ZEKA_D")
    # Compute and check everything before a single file is written.
    tables = {}
    for code in SERIES:
        rows = sizes_of(code)
        diameters = diameters_of(code)
        check(code, rows, diameters)
        tables[code] = (rows, diameters)
    os.makedirs(sizes_dir, exist_ok=True)
    os.makedirs(diameters_dir, exist_ok=True)
    for code, (rows, diameters) in sorted(tables.items()):
        write_csv(os.path.join(sizes_dir, code + ".csv"), COLUMNS,
                  [[r["NO"]] + [text(r[name]) for name in COLUMNS[1:]] for r in rows])
        write_csv(os.path.join(diameters_dir, code + ".csv"), ["d"],
                  [[text(d)] for d in diameters])
    write_csv(os.path.join(sizes_dir, "DB_VERSION.csv"), ["VERSION"], [[VERSION]])
    total = sum(len(rows) for rows, _ in tables.values())
    print("%d series, %d sizes, version %s" % (len(tables), total, VERSION), file=sys.stderr)


if __name__ == "__main__":
    main()
