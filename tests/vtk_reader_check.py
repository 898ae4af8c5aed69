"""Loads the ParaView collections that `rxpost vtk` writes for small made
result files with VTK's own XML reader, and compares them with the result
files, which this script reads on its own (struct) to know the model.
(CommandLine.VtkVelocitiesAndActiveFlagsOfEveryCell checks the velocities.)

usage: vtk_reader_check.py RXPOST MAKE_RESULT_FILE WORK_DIR
"""
import os
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

from vtkmodules.vtkIOXML import vtkXMLUnstructuredGridReader

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


def run_case(name, program, steps, numbers, choice, requests):
    result, collection = os.path.join(WORK, name + ".bin"), os.path.join(WORK, name + ".pvd")
    subprocess.run([MAKER, "--program", program, "--nx", "6", "--ny", "5", "--steps", str(steps),
                    "--seed", "7", "--step-numbers", numbers, "--out", result], check=True)
    subprocess.run([RXPOST, "vtk", result, collection, "--steps", choice], check=True)
    delm = program == "delm"
    nodes, elems, all_steps = read_result(result, delm)
    expected = chosen(all_steps, requests)
    data_sets = ElementTree.parse(collection).getroot().findall("./Collection/DataSet")
    check(f"{name} times", [float(d.get("timestep")) for d in data_sets], [s[1] for s in expected])
    for data_set, step in zip(data_sets, expected):
        check_step(os.path.join(WORK, data_set.get("file")), nodes, elems, step, delm)
    print(f"{name}: {len(data_sets)} of {len(all_steps)} steps read back by VTK and checked")


os.makedirs(WORK, exist_ok=True)
run_case("korin_final", "korin", 3, "0,4,2", "final", [0])
run_case("delm_all", "delm", 12, ",".join(str(n) for n in range(1, 13)), "all", [-1])
run_case("delm_list", "delm", 4, "3,5,3,9", "3,9", [3, 9])
