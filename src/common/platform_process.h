// What the process does at start on behalf of every run, where POSIX and
// Windows differ: standard streams that are closed are opened on the null
// device (so that no file the run opens takes their place), and an interrupt
// (Ctrl-C, SIGTERM, SIGHUP, or SIGPIPE when a reader of the output went away)
// removes the run's partial files and names its unfinished outputs
// (common/pending_output.h) before the process ends by that signal. A write
// past the file size limit (ulimit -f) fails like one to a full disk.
#pragma once

// Opens standard input, output and error on the null device where closed.
void OpenClosedStandardStreams();
// Installs the interrupt handlers. The process then ends as killed by the
// signal (a shell shows 128 + its number: 130 for Ctrl-C, 143 for SIGTERM).
void EndRunsCleanlyOnInterrupt();
