// The signals of a command-line run. INT (Ctrl-C), TERM and HUP (the terminal went away)
// cancel the conversion the way the progress dialog's Cancel button does: the engines stop
// at their next progress report and no output of the take is written; a second one ends the
// program at once. PIPE and XFSZ are ignored: a closed standard error (`2>&1 | head -n 1`)
// is no reason to stop converting, and a file-size limit then makes the write fail, which
// is reported as a full disk is, instead of killing the program with its temporaries left.
#pragma once

void InstallSignalHandlers();
bool InterruptRequested();
