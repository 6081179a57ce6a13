#pragma once
// Conversions of nullable database values, centring on the screen, and the stored procedures of
// the database server.

#include "platform/vb/Variant.h"

#include <string>

class QWidget;
namespace forms {
class Form;
}

namespace FonctionUtilitaires {

// "" for Null, else the value as text; on an error, the error report and "".
std::string ConvertNullStr(const vb::Variant& valeur);
// 0 for Null and for the empty text, else the value as a number (an error for a text that is not
// one).
double ConvertNullNum(const vb::Variant& valeur);

void CentrerFenetre(forms::Form& fenetre);
void CentrerPanneau(QWidget& panneau);

// Adds the stored procedure to the database NomBase of the server NomServeur unless one of that
// name (exactly) is there. Errors go to the error report.
void VerifierStoredProcedure(const std::string& nom, const std::string& sql);
// Removes the stored procedure of that name. Errors go to the error report.
void EffacerStoredProcedure(const std::string& nom);

} // namespace FonctionUtilitaires
