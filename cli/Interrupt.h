// Ctrl-C cancels the conversion the way the progress dialog's Cancel button does: the
// engines stop at their next progress report and the files are closed, complete as far
// as they were written.
#pragma once

void InstallInterruptHandler();
bool InterruptRequested();
