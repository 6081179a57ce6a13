#pragma once
// The reports window as the windows of other subsystems print through it: the reports window
// derives from this class, and the program installs it (Acces.h).

#include "harnix/commun/Acces.h"
#include "platform/forms/Form.h"

#include <cstdint>
#include <string>

class Etats : public Acces<Etats>
{
public:
    // Writes the report period into the window's period boxes, as texts.
    virtual void DefinirPeriode(const std::string& debut, const std::string& fin) = 0;
    // Shows the report in a fresh viewer window, modally, owned by the reports window.
    virtual void ImprimerEtat(const std::string& UnNom, const std::string& ASelectionFormula,
                              const std::string& TitreRep, const std::string& Table) = 0;
    // Shows the report in a fresh viewer window, modally, owned by the opener; no viewer when the
    // report could not be prepared (its error has been shown).
    virtual void MontrerEtat(forms::Form& proprietaire, const std::string& UnNom,
                             const std::string& ASelectionFormula, const std::string& TitreRep,
                             const std::string& Table) = 0;
    // Refills the machine refill sheet's work table for the machine.
    virtual bool CreerEtatRemplissageMach(int16_t machine, int16_t second,
                                          const std::string& requete) = 0;
};
