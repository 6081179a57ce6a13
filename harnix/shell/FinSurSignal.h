#pragma once

namespace Global {

// Ends the program as "Quitter" ends it (the main window saves what it keeps, then every
// connection closes) when the system asks it to end: SIGTERM at a shutdown or a logout, SIGHUP
// when its terminal goes, SIGINT. The signal's handler only writes the signal's number into a
// pipe that the event loop reads, so that the program ends between two event procedures, never
// in the middle of a write.
void TerminerSurSignal();

} // namespace Global
