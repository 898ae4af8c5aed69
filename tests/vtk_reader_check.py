"""Loads the ParaView collections that `rxpost vtk` writes for small made
result files with VTK's own XML reader, and compares them with the result
files, which this script reads on its own (struct) to know the model.
(CommandLine.VtkVelocitiesAndActiveFlagsOfEveryCell checks the velocities.)

usage: vtk_reader_check.py RXPOST MAKE_RESULT_FILE WORK_DIR
"""
import math
import os
import shutil
import signal
import struct
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

from vtkmodules.vtkIOXML import vtkXMLUnstructuredGridReader
from vtkmodules.vtkIOXMLParser import vtkXMLDataParser

RXPOST, MAKER, WORK = sys.argv[1:4]


def records(path):
    data = open(path, "rb").read()
    at = 0
    while at < len(data):
        (length,) = struct.unpack_from("<i", data, at)
        yield data[at + 4:at + 4 + length]
        at += length + 8


def read_result(path, delm):
    rec = records(path)
    next(rec), next(rec)  # title, node count
    nodes = [n[:2] for n in struct.iter_unpack("<ddddi" if delm else "<dd", next(rec))]
    next(rec)  # element count
    elems = [e[:5] for e in struct.iter_unpack("<5id" if delm else "<5i2d", next(rec))]
    steps = []
    for header in rec:
        number, time = struct.unpack("<id", header)
        node_values = list(struct.iter_unpack("<idd", next(rec)))
        elem_values = list(struct.iter_unpack("<ddd" if delm else "<dd", next(rec)))
        steps.append((number, time, node_values, elem_values))
    return nodes, elems, steps


def corners(elem):
    return elem[:3] if elem[3] in (elem[2], 0) else elem[:4]


def chosen(steps, requests):
    """The dialogue's step rule: 0 final, negative all, n the steps numbered n."""
    def selects(number, request, last):
        own = request < 0 or (request == 0 and last)
        return number == (number if own else request)
    return [s for i, s in enumerate(steps)
            if any(selects(s[0], r, i == len(steps) - 1) for r in requests)]


def check(what, got, expected):
    same = all(abs(g - e) <= 1e-12 * max(1.0, abs(e)) for g, e in zip(got, expected))
    if len(got) != len(expected) or not same:
        sys.exit(f"FAIL {what}: read {list(got)[:6]}..., expected {list(expected)[:6]}...")


def array(data, name, components=1):
    values = data.GetArray(name)
    return [values.GetComponent(i, c) for i in range(values.GetNumberOfTuples())
            for c in range(components)]


def check_step(path, nodes, elems, step, delm):
    reader = vtkXMLUnstructuredGridReader()
    reader.SetFileName(path)
    reader.Update()
    grid = reader.GetOutput()
    number, _, node_values, elem_values = step
    check(f"{path} points", [v for i in range(grid.GetNumberOfPoints()) for v in grid.GetPoint(i)],
          [v for x, y in nodes for v in (x, y, 0.0)])
    cells = [(grid.GetCellType(i), [grid.GetCell(i).GetPointId(k) + 1
                                     for k in range(grid.GetCell(i).GetNumberOfPoints())])
             for i in range(grid.GetNumberOfCells())]
    if cells != [(5 if len(corners(e)) == 3 else 9, list(corners(e))) for e in elems]:
        sys.exit(f"FAIL {path}: cells {cells}")
    points, cells = grid.GetPointData(), grid.GetCellData()
    names = [{d.GetArrayName(i) for i in range(d.GetNumberOfArrays())} for d in (points, cells)]
    only = ({"layer flow", "D"}, set()) if delm else (set(), {"pressure head"})
    expected = [{"total head", "discharge", "velocity", "step number"} | only[1],
                {"attribute", "active", "velocity"} | only[0]]
    if names != expected:
        sys.exit(f"FAIL {path}: arrays {names}, expected {expected}")
    heads = [h if delm else h + y for (_, h, _), (_, y) in zip(node_values, nodes)]
    check("total head", array(points, "total head"), heads)
    if not delm:
        check("pressure head", array(points, "pressure head"), [h for _, h, _ in node_values])
    check("discharge", array(points, "discharge"), [f for _, _, f in node_values])
    check("step number", array(points, "step number"), [number] * len(nodes))
    check("attribute", array(cells, "attribute"), [e[4] for e in elems])
    if delm:
        check("layer flow", array(cells, "layer flow", 3),
              [c for v in elem_values for c in (v[0], v[1], 0.0)])
        check("D", array(cells, "D"), [v[2] for v in elem_values])


def vtk_data_sets(collection):
    """(timestep, file) of each DataSet of the .pvd, as VTK's XML parser reads it."""
    parser = vtkXMLDataParser()
    parser.SetFileName(collection)
    if parser.Parse() != 1:
        sys.exit(f"FAIL {collection}: VTK's XML parser refuses the collection")
    sets = parser.GetRootElement().FindNestedElementWithName("Collection")
    return [(sets.GetNestedElement(i).GetAttribute("timestep"),
             sets.GetNestedElement(i).GetAttribute("file"))
            for i in range(sets.GetNumberOfNestedElements())]


def check_collection(result, collection, delm, expected):
    """The collection lists `expected` (steps of the result file) in order,
    and VTK reads it back: the .pvd with its XML parser, every step file it
    names with values as in the result file. A step whose time is not finite
    is listed at its step number."""
    nodes, elems, _ = read_result(result, delm)
    data_sets = vtk_data_sets(collection)
    times = [s[1] if math.isfinite(s[1]) else float(s[0]) for s in expected]
    check(f"{collection} times", [float(t) for t, _ in data_sets], times)
    folder = os.path.dirname(collection)
    for (_, name), step in zip(data_sets, expected):
        check_step(os.path.join(folder, name), nodes, elems, step, delm)


def make(name, program, steps, numbers, times=None):
    result = os.path.join(WORK, name + ".bin")
    extra = ["--step-times", times] if times else []
    subprocess.run([MAKER, "--program", program, "--nx", "6", "--ny", "5", "--steps", str(steps),
                    "--seed", "7", "--step-numbers", numbers, "--out", result, *extra], check=True)
    return result


def run_case(name, program, steps, numbers, choice, requests, collection_name=None, times=None):
    result = make(name, program, steps, numbers, times)
    collection = os.path.join(os.fsencode(WORK), collection_name or os.fsencode(name + ".pvd"))
    subprocess.run([RXPOST, "vtk", result, collection, "--steps", choice], check=True,
                   stderr=subprocess.DEVNULL)
    delm = program == "delm"
    all_steps = read_result(result, delm)[2]
    # VTK takes UTF-8 file names only; the .pvd is read under a plain name.
    readable = os.path.join(WORK, name + "_read.pvd")
    shutil.copyfile(collection, readable)
    check_collection(result, readable, delm, chosen(all_steps, requests))
    print(f"{name}: {len(chosen(all_steps, requests))} of {len(all_steps)} steps read back by VTK")


def record_ends(data):
    at, ends = 0, []
    while at < len(data):
        at += struct.unpack_from("<i", data, at)[0] + 8
        ends.append(at)
    return ends


def listed(collection):
    try:
        return len(ElementTree.parse(collection).getroot().findall("./Collection/DataSet"))
    except FileNotFoundError:
        return 0


def follow_case():
    """`rxpost vtk --follow` while the result file is appended record by
    record (every other record in two pieces), with short pauses: after each
    complete step the collection lists it; Ctrl-C ends the run with status 0."""
    data = open(make("follow_full", "delm", 5, "1,2,3,4,5"), "rb").read()
    ends = record_ends(data)
    result, collection = os.path.join(WORK, "follow.bin"), os.path.join(WORK, "follow.pvd")
    with open(result, "wb") as out:
        out.write(data[:ends[4]])
    run = subprocess.Popen([RXPOST, "vtk", result, collection, "--steps", "all", "--follow"])
    with open(result, "ab") as out:
        for number, (start, end) in enumerate(zip(ends[4:], ends[5:])):
            for piece in ((start, (start + end) // 2), ((start + end) // 2, end)) \
                    if number % 2 else ((start, end),):
                out.write(data[piece[0]:piece[1]])
                out.flush()
                time.sleep(0.02)
            steps = (number + 1) // 3
            for _ in range(500):
                if listed(collection) == steps:
                    break
                time.sleep(0.01)
            if listed(collection) != steps:
                run.kill()
                sys.exit(f"FAIL follow: after {number + 1} step records the collection lists "
                         f"{listed(collection)} steps, expected {steps}")
    run.send_signal(signal.SIGINT)
    if run.wait(timeout=10) != 0:
        sys.exit(f"FAIL follow: status {run.returncode} after Ctrl-C")
    check_collection(result, collection, True, read_result(result, True)[2])
    print("follow: 5 steps listed as they were completed, read back by VTK")


os.makedirs(WORK, exist_ok=True)
run_case("korin_final", "korin", 3, "0,4,2", "final", [0])
run_case("delm_all", "delm", 12, ",".join(str(n) for n in range(1, 13)), "all", [-1])
run_case("delm_list", "delm", 4, "3,5,3,9", "3,9", [3, 9])
# Control and Shift-JIS bytes in the name, times that are not numbers.
run_case("odd_names", "korin", 3, "1,2,3", "all", [-1], b"odd\x01\x82\xa0&<\".PVD", "nan,2,inf")
follow_case()
