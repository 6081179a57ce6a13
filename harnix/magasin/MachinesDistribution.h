#pragma once
// The distribution machines' rules: how a machine is loaded, the column step and the capacity
// of a line by model, the units present per line, what a line has to be refilled with (as the
// shown machine displays it, and as the global refill sheet records it), and the slots of the
// known models.

#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/vb/Variant.h"

#include <cstdint>
#include <optional>
#include <string>

namespace MachinesDistribution {

// Whether the machine is loaded by shelf: Chargement reads "ETAGE", case included; any other
// value, Null too, means by column.
bool ParEtage(const vb::Variant& chargement);

// The column that the units present are counted by: "Etage" or "Colonne".
std::string ColonneComptes(bool parEtage);

// Distance between the physical columns of two lines of a column-loaded machine, by model; 0
// for a model it does not know, every line then standing on column 1.
int PasColonne(const vb::Variant& type);

// The shelf or physical column of line `i` (from 1): 1, then one step further per line.
int NumeroLigne(int i, int pas);

// Capacity of one line: slots per door on a shelf (not rounded), doors on a column; none
// without doors.
std::optional<double> Capacite(bool parEtage, const vb::Variant& emplacements,
                               const vb::Variant& portes);

// Units present per shelf or per column of machine `no`, in that order.
std::string RequeteComptes(const std::string& colonne, const std::string& no);

// The units present on line `ligne` of the count query; none when the line has no slot rows.
std::optional<double> Unites(ado::Recordset& comptes, const std::string& colonne, int ligne);

// A line of the shown machine as the grid and the line table hold it.
struct RemplissageAffiche
{
    double aRemplir;        // capacity minus units present, as the grid shows it
    int32_t aRemplirEntier; // the same rounded half to even; 0 when it does not fit
    int niveau;             // the bar's fill level in whole percent, 0 to 100
};
RemplissageAffiche Remplissage(double capacite, double unites);

// A line of the global refill sheet: the units counted, and the capacity minus them, not
// rounded (empty without a capacity, which the table stores as Null). A line without slot rows
// counts no unit.
struct RemplissageGlobal
{
    double nbUnite;
    vb::Variant aRemplir;
};
RemplissageGlobal RemplissageLigneGlobale(const std::optional<double>& capacite,
                                          const std::optional<double>& unites);

// Doors and slots of the models 1 to 5; none for another model.
struct Modele
{
    int portes, emplacements;
};
std::optional<Modele> ModeleMachine(int type);

// Shelf and column of slot `emplacement` (from 1) of a model.
struct Place
{
    int etage, colonne;
};
Place PlaceEmplacement(const Modele& modele, int emplacement);

// Appends the slots of machine `noMachine` of model `type` to EmplacementsMachine1, all empty;
// nothing for a model it does not know.
void CreerEmplacements(ado::Connection& cn, int32_t noMachine, int type);

} // namespace MachinesDistribution
