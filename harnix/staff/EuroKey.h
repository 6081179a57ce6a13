#pragma once
// The badge reader on a serial port, driven through the employee register's serial port.

#include <string>

namespace EuroKey {

// Binds the employee register's serial port (loading the register, hidden, when it is not
// loaded) and, when the port is closed, configures it ("9600,N,8,1" on port PortBadge), opens
// it and drops whatever waits in its input. A port that cannot be configured or opened stays as
// it was, without a message.
void OuvrirPortBadge();

// Reads a badge: the badge number as decimal text; "ERREUR" when the reader does not answer;
// "" when the reply holds no badge number. An error of the port (one that could not be opened)
// passes to the caller. Blocks for at most 6 seconds without processing events.
std::string LireBadge();

} // namespace EuroKey
