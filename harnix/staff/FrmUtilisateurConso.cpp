// The employee register's consumption report of the current employee over a period, and its
// badge button: the badge labels of every employee, or a new badge read from the serial reader.

#include "harnix/commun/Calendrier.h"
#include "harnix/commun/Etats.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/Periode.h"
#include "harnix/staff/EuroKey.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "harnix/staff/Saisie.h"
#include "platform/ado/Transaction.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/win/FileSearch.h"

#include <QIcon>
#include <QStyle>

#include <vector>

namespace {

constexpr const char* TitreEtiquettes = "Etiquette - Avery L7060 - 63,5 x 38,1 cm";

// Every movement line of one employee in the period, its first and last days whole; identical
// lines stay apart. The article's size is looked up, empty when the article or size is gone.
constexpr const char* SelectionSalarie =
    "SELECT Format([Ventes.LaDate],\"mmmm\") AS NomMois,  Ventes.TypeMouvement,  Ventes.LaDate,"
    "  Ventes.Utilisateur,  Ventes.Nom,   Ventes.Prenom,  DetailVente.Reference,"
    "  DetailVente.Designation,  DetailVente.Quantite,   UCASE(DetailVente.NomFamille) AS "
    "NomFamille,   DetailVente.NomSite,  DetailVente.NomService,  DetailVente.Profile,"
    "  DetailVente.CodeFournisseur,  DetailVente.Societe,   DetailVente.PrixAchatUnit, "
    "Tailles.Taille "
    " FROM          ((Ventes INNER JOIN DetailVente ON Ventes.NumVente = DetailVente.NumVente) "
    "LEFT JOIN ArticleEnStock ON DetailVente.Reference = ArticleEnStock.Reference) LEFT JOIN "
    "Tailles ON ArticleEnStock.Taille = Tailles.NoTaille "
    " WHERE Ventes.LaDate >= [DateDébut] AND Ventes.LaDate < DateAdd('d', 1, [DateFin])"
    " AND Ventes.Utilisateur = [Badge]";

vb::Date JourDePeriode(const std::string& texte)
{
    const auto jour = Periode::LireDate(texte);
    if (!jour)
        vb::Raise(vb::ErrTypeMismatch);
    return *jour;
}

} // namespace

void FrmUtilisateur::CreerBoutonsConso()
{
    CmdPeriode = new forms::CommandButton("CmdPeriode", {}, this);
    CmdPeriode->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    CmdPeriode->setToolTip("Période");
    CmdConso = new forms::CommandButton("CmdConso", "Consomations", this);
    Command1 = new forms::CommandButton("Command1", {}, this);
    Command1->setToolTip(TitreEtiquettes);
    // The labels' picture when badges are EAN-13 numbers and the icon folder holds it.
    const auto icone = win::FindFileIgnoringCase(Global::ProgramFolder() + "/icon", "misc25.ico");
    if (Saisie::TypeLecteurBadge() == 3 && icone)
        Command1->setIcon(QIcon(QString::fromStdString(*icone)));
    else
        Command1->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    forms::MoveTwips(*CmdPeriode, 240, 5700, 480, 420);
    forms::MoveTwips(*CmdConso, 780, 5700, 2400, 420);
    forms::MoveTwips(*Command1, 3720, 5700, 480, 420);
    connect(CmdPeriode, &QPushButton::clicked, this, [this] { CmdPeriode_Click(); });
    connect(CmdConso, &QPushButton::clicked, this, [this] { CmdConso_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void FrmUtilisateur::CmdPeriode_Click()
{
    forms::form<Calendrier>().Show(forms::Modal);
    DebutPeriode = vb::CStr(Global::PeriodeDebut);
    FinPeriode = vb::CStr(Global::PeriodeFin);
    CmdConso_Click();
}

// CA is refilled in one transaction: a failure leaves the former rows. A report that cannot be
// prepared shows its error and no viewer.
void FrmUtilisateur::CmdConso_Click()
{
    try {
        if (DebutPeriode.empty()) {
            DebutPeriode = "01/01/" + std::to_string(vb::Year(vb::Today()));
            FinPeriode = vb::CStr(vb::Today());
        }
        Etats& compteRendu = *Etats::Fenetre();
        compteRendu.DefinirPeriode(DebutPeriode, FinPeriode);
        forms::SetMousePointer(forms::MousePointer::Hourglass);

        ado::Command selection;
        selection.SetActiveConnection(cn);
        selection.SetCommandText(SelectionSalarie);
        selection.Parameters() = {
            {"[DateDébut]", "DateTime", vb::Variant(JourDePeriode(DebutPeriode))},
            {"[DateFin]", "DateTime", vb::Variant(JourDePeriode(FinPeriode))},
            {"[Badge]", "Text", rs["NoBadge"].Value()}};
        ado::Recordset lignes;
        lignes.SetClientCursor(ado::adLockPessimistic);
        lignes.Open(selection);

        ado::Command ca;
        ca.SetActiveConnection(cn);
        ado::RunInTransaction(cn, [&] {
            ca.SetCommandText("DELETE  FROM CA");
            ca.Execute();
            if (lignes.RecordCount() > 0) {
                ca.SetCommandText("CA");
                ado::Recordset travail;
                travail.SetClientCursor(ado::adLockPessimistic);
                travail.Open(ca);
                std::vector<std::string> noms;
                for (long i = 0; i < lignes.Fields().Count(); ++i)
                    noms.push_back(lignes.Fields(i).Name());
                std::vector<vb::Variant> valeurs(noms.size());
                for (long r = 1; r <= lignes.RecordCount(); ++r) {
                    for (size_t i = 0; i < noms.size(); ++i)
                        valeurs[i] = lignes.ValueAt(r, static_cast<long>(i));
                    travail.AddNew(noms, valeurs);
                }
                travail.Close();
            }
        });
        const bool aucune = lignes.RecordCount() == 0;
        lignes.Close();
        selection.ReleaseConnection();
        ca.ReleaseConnection();
        if (aucune) {
            forms::SetMousePointer(forms::MousePointer::Default);
            forms::MsgBox("Il n'y a pas eu d'opérations sur cette période",
                          forms::vbExclamation + forms::vbOKOnly);
            return;
        }
        // An employee saved without a surname or first name has Null there: the title goes on
        // without it.
        const std::string titre = "Consommations " +
                                  FonctionUtilitaires::ConvertNullStr(rs["NOM"].Value()) + " " +
                                  FonctionUtilitaires::ConvertNullStr(rs["Prenom"].Value());
        compteRendu.MontrerEtat(*this, "ConsUnSalarie.rpt", "", titre,
                                "select * from CA order by CA.Reference");
        forms::SetMousePointer(forms::MousePointer::Default);
    } catch (const vb::Error& erreur) {
        forms::SetMousePointer(forms::MousePointer::Default);
        FnTundrel::AfficherErreur("CmdConso_Click", erreur);
    }
}

// Only a badge the database refuses as a duplicate is answered "Badge déjà utilisé !" (and the
// pending change cancelled); any other failure goes to the error report, the edit left as it is.
void FrmUtilisateur::Command1_Click()
{
    try {
        switch (Saisie::TypeLecteurBadge()) {
        case 2: {
            std::string numero = EuroKey::LireBadge();
            if (numero == "ERREUR" || numero.empty() || BadgeEnMaintenance(numero))
                return;
            rs["NoBadge"] = numero;
            rs.Update();
            break;
        }
        case 3:
            Etats::Fenetre()->ImprimerEtat("CodeBarSalarie.RPT", "", TitreEtiquettes,
                                           "GrUtilisateur");
            break;
        default:
            break;
        }
    } catch (const vb::Error& erreur) {
        if (erreur.Number() != vb::ErrDatabaseRefused) {
            FnTundrel::AfficherErreur("Command1_Click", erreur);
            return;
        }
        vb::ResumeNext span;
        span([&] { rs.CancelUpdate(); });
        forms::MsgBox("Badge déjà utilisé !", forms::vbOKCancel + forms::vbExclamation, "Erreur");
    }
}
