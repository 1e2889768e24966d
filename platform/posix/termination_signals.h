#pragma once

namespace rz {

// Termination requests by signal for a program with an event loop: SIGTERM
// (logout, shutdown, kill), SIGHUP (its terminal closed), SIGINT (Ctrl-C in
// that terminal) and SIGQUIT no longer end the process; each writes one byte
// into a pipe, whose read end (non-blocking) is returned for the event loop to
// watch. SIGPIPE is ignored. Returns -1 when the pipe cannot be made (the
// signals then keep their default action). Call once, early in main.
int InstallTerminationSignalPipe();

}  // namespace rz
