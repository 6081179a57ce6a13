#pragma once
// Small helpers shared by the employee windows: the reader type, typing limits, list choices by
// text and quoted texts in search criteria.

#include <QString>
#include <QValidator>

#include <string>

class QLineEdit;
namespace forms {
class ComboBox;
}

namespace Saisie {

// The numeric value of the setting TypeLecteur: 2 serial badge reader, 3 EAN-13 codes, any other
// value numbering by counter.
int TypeLecteurBadge();

// Limits what is typed in the box to a number of characters; a longer text set by the program
// stays whole, as a text box's maximum length does.
void LimiterSaisie(QLineEdit& boite, int caracteres);

// Sets the text of a list: the entry of that text is chosen when the list holds one, otherwise
// no entry is chosen and the text stands alone.
void ChoisirTexte(forms::ComboBox& liste, const QString& texte);
// Typing in a list chooses the entry of the typed text, or none: a list emptied by hand has no
// entry chosen.
void SuivreSaisie(forms::ComboBox& liste);

} // namespace Saisie
