#!/bin/sh
# Runs vtk_reader_check.py with the first python3 that has VTK's Python
# modules (Debian: python3-vtk9, which serves /usr/bin/python3); without one it
# says so in one line and reports the test as skipped (status 77).
for python in python3 /usr/bin/python3; do
  if "$python" -c 'import vtk' 2>/dev/null; then
    exec "$python" "$(dirname "$0")/vtk_reader_check.py" "$@"
  fi
done
echo "skipped: no python3 with VTK's Python modules (Debian: python3-vtk9)"
exit 77
