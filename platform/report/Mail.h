#pragma once
// Mail of a report through the desktop's mail client: xdg-email opens a new message with the
// file attached, to the address, with the subject; the person sends it.

#include <QString>

namespace report {

// Raises ErrMail unless the address is one address: one "@" with text on both sides, no leading
// "-", no blanks or control characters.
void CheckAddress(const QString& address);
// Checks the address, then starts xdg-email with its arguments apart (no shell). Raises ErrMail
// when no mail client can be started or it reports a failure.
void SendMail(const QString& file, const QString& subject, const QString& address);

} // namespace report
