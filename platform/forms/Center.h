#pragma once

class QWidget;

namespace forms {

class Form;

// Moves a form so that its inner (client) area is centred on the screen: left at
// (screen width - inner width) / 2, top at (screen height - inner height) / 2, in twips.
// The size does not change.
void CenterForm(Form& form);

// Moves a control (a panel) to ((screen width - its width) / 2, (screen height - its height) / 2)
// in the coordinates of its container, in twips. The size does not change.
void CenterPanel(QWidget& control);

} // namespace forms
