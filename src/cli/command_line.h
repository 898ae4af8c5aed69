// The command line of rxpost (any run with arguments): `rxpost info` and
// `rxpost vtk`, --help and --version. Exit status: 0 after a normal end (also
// after --help and --version), 2 after an error: a bad option or argument, or
// a fault of a file, told in one line on standard error.
#pragma once

int RunCommandLine(int argc, char** argv);
