#pragma once
// EAN-13 bar codes: the 95 modules of a code, drawn as bars.

#include <QRectF>
#include <QString>

#include <optional>

class QPainter;

namespace report {

// The 13 digits of a code from a field's text: 13 digits as they stand (their check digit
// recomputed), 12 digits with the check digit added, or the 15-character text of an EAN-13
// bar-code font ("4AKGDSL*dddjdb+"); nothing for any other text.
std::optional<QString> Ean13Digits(const QString& text);
// The 95 modules, '1' for a bar, '0' for a space, of 13 valid digits.
QString Ean13Modules(const QString& digits);
// Draws the code in the rectangle: bars above, the digits below.
void DrawEan13(QPainter& painter, const QRectF& rect, const QString& digits);

} // namespace report
