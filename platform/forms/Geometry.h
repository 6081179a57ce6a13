#pragma once

class QWidget;

// Positions and sizes of controls in twips, as the windows' designs give them.
namespace forms {

void MoveTwips(QWidget& control, int left, int top, int width, int height);
int LeftTwips(const QWidget& control);
int TopTwips(const QWidget& control);
int WidthTwips(const QWidget& control);
int HeightTwips(const QWidget& control);
void SetWidthTwips(QWidget& control, int width);
void SetHeightTwips(QWidget& control, int height);

// Lets the pending events of the windows run, then returns.
void DoEvents();

} // namespace forms
