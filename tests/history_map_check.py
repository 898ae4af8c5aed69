"""Whole runs of `rxpost history` and `rxpost map` on small made result files
of both simulators. The history table, read back with the csv module, must
hold the values that the dialogue's INTERP kind writes for the same file and
PICKUP.INP (its point rows and its time-history tables); the charts are
checked by what they hold (PNG size and colours, SVG legend texts and one
line per place), and every bad request ends with one line.

usage: history_map_check.py RXPOST MAKE_RESULT_FILE WORK_DIR DRAWS_CHARTS(0|1)
"""
import csv
import math
import os
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree
import zlib

RXPOST, MAKER, WORK, DRAWS = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4] == "1"
STEPS = 4
# Head/pressure/discharge nodes 5 17 40, elements 3 9, three points, the
# last outside the mesh.
PICKUP = "3 3 3 2 3\n5 17 40\n5 17 40\n5 17 40\n3 9\n2.5 1.5\n44.4 20.2\n-1000 -1000\n"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def close(a, b):
    return math.isclose(a, b, rel_tol=1e-7, abs_tol=1e-12)


def run(folder, args, answers=None):
    return subprocess.run([RXPOST] + args, cwd=folder, input=answers, capture_output=True,
                          encoding="latin-1")  # the dialogue writes Shift-JIS bytes


def table(path):
    """An INTERP table: (heading lines' items, [(time, values)])."""
    lines = [[f.strip() for f in line.split(",")] for line in open(path)]
    items = [[f for f in line if f] for line in lines]
    return items, [(float(r[1]), [float(v) for v in r[2:]]) for r in items if r[0] == "time"]


def interp_points(path, count):
    """The INTERP main file: per step, (time, [(total, pressure or None)])."""
    rows = [[float(f) if f.strip() else None for f in line.split(",")]
            for line in open(path).read().splitlines()[2:]]
    return [rows[k:k + count] for k in range(0, len(rows), count)]


def mesh(path, delm):
    """The nodes (x, y) and element corners of a result file, read on its own."""
    data, at, records = open(path, "rb").read(), 0, []
    while len(records) < 5:
        (length,) = struct.unpack_from("<i", data, at)
        records.append(data[at + 4:at + 4 + length])
        at += length + 8
    nodes = [n[:2] for n in struct.iter_unpack("<ddddi" if delm else "<dd", records[2])]
    elems = [e[:4] for e in struct.iter_unpack("<5id" if delm else "<5i2d", records[4])]
    return nodes, [e[:3] if e[3] in (e[2], 0) else e for e in elems]


def compare_history(folder, delm):
    kind = "delm" if delm else "korin"
    made = subprocess.run([MAKER, "--program", kind, "--nx", "12", "--ny", "8", "--steps",
                           str(STEPS), "--seed", "3", "--out", os.path.join(folder, "r.bin")])
    check(made.returncode == 0, "result file made")
    open(os.path.join(folder, "PICKUP.INP"), "w").write(PICKUP)
    answers = "0\n0\n%d\n1\nr.bin\n0\n6\nout.txt\n-1\n" % delm
    check(run(folder, [], answers).returncode == 0, kind + ": INTERP run")
    history = run(folder, ["history", "r.bin", "--pickup", "PICKUP.INP", "--csv", "h.csv"])
    check(history.returncode == 0, kind + ": history run " + history.stderr)
    check(history.stderr == "rxpost: note: point 3 (-1000, -1000) lies in no element of the "
          "mesh; its heads are left empty\n", kind + ": one note " + history.stderr)
    rows = list(csv.DictReader(open(os.path.join(folder, "h.csv"))))
    check(len(rows) == STEPS * 8, kind + ": one row per step and place")
    by_place = {}
    for row in rows:
        by_place.setdefault((row["kind"], int(row["id"])), []).append(row)

    def number(row, column):
        return float(row[column]) if row[column] != "" else None

    # Node tables: a heading of node numbers, x and y, then a row per step.
    columns = [("HTIME.CSV", "total_head"), ("QTIME.CSV", "discharge")]
    columns += [] if delm else [("PTIME.CSV", "pressure_head")]
    for name, column in columns:
        heading, steps = table(os.path.join(folder, name))
        nodes = [int(n) for n in heading[1][1:]]
        check(len(steps) == STEPS, kind + ": " + name + " rows")
        for k, node in enumerate(nodes):
            mine = by_place[("node", node)]
            check(close(number(mine[0], "x"), float(heading[2][1 + k])), name + " x")
            for (time, values), row in zip(steps, mine):
                check(close(number(row, "time"), time), name + " time")
                check(close(number(row, column), values[k]), "%s %s node %d" % (kind, name, node))
    nodes, elems = mesh(os.path.join(folder, "r.bin"), delm)
    for elem in (3, 9):  # x and y: the centre of the element's corners
        corners = [nodes[n - 1] for n in elems[elem - 1]]
        centre = [sum(c[i] for c in corners) / len(corners) for i in (0, 1)]
        row = by_place[("element", elem)][0]
        check(close(number(row, "x"), centre[0]) and close(number(row, "y"), centre[1]), "centre")
    heading, steps = table(os.path.join(folder, "VeTIME.CSV" if delm else "VTIME.CSV"))
    for k, elem in enumerate(int(e) for e in heading[1][1::2]):
        for (time, values), row in zip(steps, by_place[("element", elem)]):
            vx, vy = values[2 * k], values[2 * k + 1]
            check(close(number(row, "velocity_x"), vx) and close(number(row, "velocity_y"), vy),
                  "%s element %d velocity" % (kind, elem))
            check(close(number(row, "velocity"), math.sqrt(vx * vx + vy * vy)), "magnitude")
    for step, interp_rows in enumerate(interp_points(os.path.join(folder, "out.txt"), 3)):
        for point, values in enumerate(interp_rows, 1):
            row = by_place[("point", point)][step]
            if point == 3:  # outside: INTERP writes h = 0; the table leaves the heads empty
                check(row["total_head"] == row["pressure_head"] == "", "outside point empty")
                continue
            check(close(number(row, "total_head"), values[3]), "%s point %d" % (kind, point))
            pressure = number(row, "pressure_head")
            check(pressure is None if delm else close(pressure, values[4]), "point pressure")
    only = run(folder, ["history", "r.bin", "--element", "9", "--steps", "2,4"])
    check([r["step"] for r in csv.DictReader(only.stdout.splitlines())] == ["2", "4"],
          kind + ": --steps chooses the rows")


def png_facts(path):
    """Width, height and the number of distinct colours of a PNG picture."""
    data = open(path, "rb").read()
    at, packed = 8, b""
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour_type = struct.unpack(">IIBB", body[:10])
        packed += body if kind == b"IDAT" else b""
        at += 12 + length
    raw, size = zlib.decompress(packed), {2: 3, 6: 4}[colour_type]
    stride, above, colours = width * size, bytearray(width * size), set()
    for r in range(height):
        kind, line = raw[r * (stride + 1)], bytearray(raw[r * (stride + 1) + 1:(r + 1) * (stride + 1)])
        for i in range(stride):
            a, b = line[i - size] if i >= size else 0, above[i]
            c = above[i - size] if i >= size else 0
            p = a + b - c
            guess = [0, a, b, (a + b) >> 1,
                     a if abs(p - a) <= min(abs(p - b), abs(p - c)) else b if abs(p - b) <= abs(p - c) else c][kind]
            line[i] = (line[i] + guess) & 255
        colours.update(bytes(line[i:i + size]) for i in range(0, stride, size))
        above = line
    return width, height, len(colours)


def check_charts(folder):
    svg = run(folder, ["history", "r.bin", "--node", "5,17", "--element", "3", "--point",
                       "2.5,1.5", "--csv", "c.csv", "--plot", "h.svg"])
    check(svg.returncode == 0, "history --plot h.svg " + svg.stderr)
    root = ElementTree.parse(os.path.join(folder, "h.svg")).getroot()
    tag = "{http://www.w3.org/2000/svg}"
    texts = {"".join(t.itertext()) for t in root.iter(tag + "text")}
    labels = {"node 5", "node 17", "element 3", "point 1 (2.5, 1.5)"}
    check(labels <= texts and {"total head", "velocity", "time"} <= texts, "SVG texts")
    # Total and pressure head: 2 nodes and the point; discharge 2; velocity 1.
    series = [p for p in root.iter(tag + "polyline") if len(p.get("points").split()) == STEPS
              and p.get("stroke") not in ("#000000", "#FFFFFF")]
    check(len(series) == 3 + 3 + 2 + 1, "one line per place and panel: %d" % len(series))
    png = run(folder, ["history", "r.bin", "--node", "5", "--plot", "h.png"])
    check(png.returncode == 0 and png.stdout.startswith("step,time"), "history --plot h.png")
    width, height, colours = png_facts(os.path.join(folder, "h.png"))
    check((width, height) == (1000, 80 + 3 * 300) and colours > 10, "history PNG")
    for args in (["m.png"], ["m.png", "--quantity", "velocity", "--edges", "--step", "2"]):
        drawn = run(folder, ["map", "r.bin"] + args)
        check(drawn.returncode == 0 and drawn.stderr == "", "map " + drawn.stderr)
        width, height, colours = png_facts(os.path.join(folder, "m.png"))
        check(width == 1000 and 400 <= height <= 1100 and colours > 30, "map PNG %d" % colours)
    check(run(folder, ["map", "r.bin", "m.svg"]).returncode == 0, "map SVG")
    texts = {"".join(t.itertext()) for t in ElementTree.parse(os.path.join(folder, "m.svg")).iter(
        tag + "text")}
    check({"total head", "r.bin, step number %d, time 345600 (RX-KORIN)" % STEPS} <= texts,
          "map texts")


def check_errors(folder):
    wrong = [(["history", "r.bin", "--node", "5,97"], "node 97 is not in the model"),
             (["history", "r.bin", "--element", "x"], "--element: 'x' is not a number above 0"),
             (["history", "r.bin", "--point", "1;2"], "is not a point X,Y"),
             (["history", "r.bin"], "name the places to follow"),
             (["history", "r.bin", "--node", "1", "--csv", "no/such/dir.csv"], "cannot create"),
             (["history", "r.bin", "--node", "1", "--csv", "r.bin"], "that this run reads")]
    if DRAWS:
        wrong += [(["history", "r.bin", "--node", "1", "--plot", "h.gif"], "ending in .png"),
                  (["map", "r.bin", "m.png", "--step", "7"], "holds no step numbered 7"),
                  (["map", "r.bin", "m.png", "--quantity", "head"], "is none of")]
    else:  # a build without the plotting library
        wrong.append((["history", "r.bin", "--node", "1", "--plot", "h.png"], "not available"))
        wrong.append((["map", "r.bin", "m.png"], "not available in this build"))
    for args, words in wrong:
        failed = run(folder, args)
        check(failed.returncode == 2 and failed.stderr.count("\n") == 1 and
              failed.stderr.startswith("rxpost: ") and words in failed.stderr,
              " ".join(args) + ": " + failed.stderr)


shutil.rmtree(WORK, ignore_errors=True)
for delm in (1, 0):  # the RX-KORIN folder stays for the charts and errors
    folder = os.path.join(WORK, "delm" if delm else "korin")
    os.makedirs(folder)
    compare_history(folder, delm)
if DRAWS:
    check_charts(folder)
check_errors(folder)
for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
