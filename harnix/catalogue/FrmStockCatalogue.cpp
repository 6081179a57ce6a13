// The article window's import of a supplier's catalogue: the prepared rows of FICHIERARTICLE4
// (one per product and size), their sizes as the system numbers them, the articles made from
// them, and the catalogue's pictures. The four operations are offered by the menu of the button
// "Catalogue fournisseur", to be run in the order prepare, convert, import; the pictures at any
// time. Each operation runs in one transaction: an error leaves its work undone and says so.

#include "harnix/catalogue/CatalogueFournisseur.h"
#include "harnix/catalogue/FrmStock.h"
#include "harnix/database/Data.h"
#include "harnix/shell/FnTundrel.h"
#include "harnix/shell/FonctionUtilitaires.h"
#include "harnix/shell/Global.h"
#include "platform/ado/Text.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/win/FileSearch.h"

#include <QMenu>

#include <filesystem>
#include <functional>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr const char* TitreCatalogue = "Catalogue fournisseur";
// Rows listed by name in a report; the others are counted.
constexpr size_t LignesSignalees = 15;

using FonctionUtilitaires::ConvertNullStr;

// The catalogue's connection, on its working file.
ado::Connection OuvrirCatalogue()
{
    ado::Connection cn;
    cn.Open(CatalogueFournisseur::ChaineConnexion(
        CatalogueFournisseur::FichierDeTravail(Global::ProgramFolder())));
    return cn;
}

ado::Recordset Ouvrir(const ado::Connection& cn, const std::string& texte)
{
    ado::Command commande;
    commande.SetActiveConnection(cn);
    commande.SetCommandText(texte);
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockPessimistic);
    rs.Open(commande);
    return rs;
}

void Copier(ado::Recordset& cible, const ado::Recordset& source,
            std::initializer_list<const char*> champs)
{
    for (const char* champ : champs) {
        try {
            cible[champ] = source[champ].Value();
        } catch (const vb::Error& erreur) {
            // A value the column cannot hold (a text longer than it): the report says which.
            throw vb::Error(erreur.Number(), std::string(champ) + " : " + erreur.Description(),
                            erreur.Source());
        }
    }
}

// The rows an operation left aside, with the reason, in one box at its end.
void Signaler(const std::string& operation, const std::vector<std::string>& ecartees)
{
    if (ecartees.empty())
        return;
    std::string texte =
        operation + " : " + std::to_string(ecartees.size()) + " ligne(s) écartée(s)\r";
    for (size_t i = 0; i < ecartees.size() && i < LignesSignalees; ++i)
        texte += "\r" + ecartees[i];
    if (ecartees.size() > LignesSignalees)
        texte += "\r...";
    forms::MsgBox(QString::fromStdString(texte), forms::vbExclamation, TitreCatalogue);
}

// A name that stays inside its folder: not empty, no separator, not "." or "..".
bool NomSimple(const std::string& nom)
{
    return !nom.empty() && nom != "." && nom != ".." && nom.find('/') == std::string::npos &&
           nom.find('\\') == std::string::npos;
}

using Ecartees = std::vector<std::string>;

// Runs an operation on the catalogue's connection when the program folder holds a catalogue.
// An error ends it with the error report; the rows it left aside are reported at its end.
// Whether it ran to its end.
bool SurCatalogue(const char* procedure, const std::string& libelle,
                  const std::function<void(ado::Connection&, Ecartees&)>& operation)
{
    if (!FnTundrel::FichierExiste(Global::ProgramFolder(), CatalogueFournisseur::NomCatalogue))
        return false;
    Ecartees ecartees;
    try {
        ado::Connection catalogue = OuvrirCatalogue();
        operation(catalogue, ecartees);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(procedure, erreur);
        return false;
    }
    Signaler(libelle, ecartees);
    return true;
}

} // namespace

void FrmStock::CreerMenuCatalogue()
{
    CmdCatalogue = new forms::CommandButton("CmdCatalogue", TitreCatalogue, this);
    forms::MoveTwips(*CmdCatalogue, 12600, 9600, 2500, 420);
    auto* menu = new QMenu(CmdCatalogue);
    const struct
    {
        const char* nom;
        const char* texte;
        void (FrmStock::*operation)();
    } entrees[] = {
        {"MenuPreparerCatalogue", "Préparer les articles du catalogue",
         &FrmStock::PreparerArticlesCatalogue},
        {"MenuConvertirTailles", "Convertir les tailles", &FrmStock::ConvertirTaillesCatalogue},
        {"MenuImporterCatalogue", "Importer les articles", &FrmStock::ImporterArticlesCatalogue},
        {"MenuImageValmora", "Copier les images du catalogue", &FrmStock::ImageValmora},
    };
    for (const auto& e : entrees) {
        QAction* action = menu->addAction(QString::fromUtf8(e.texte));
        action->setObjectName(e.nom);
        connect(action, &QAction::triggered, this, [this, op = e.operation] {
            // The operations end quietly without a catalogue; a choice of the menu says why.
            if (!FnTundrel::FichierExiste(Global::ProgramFolder(),
                                          CatalogueFournisseur::NomCatalogue)) {
                forms::MsgBox(QString::fromUtf8("Le catalogue %1 est introuvable dans le dossier "
                                                "du programme.")
                                  .arg(CatalogueFournisseur::NomCatalogue),
                              forms::vbExclamation, TitreCatalogue);
                return;
            }
            forms::SetMousePointer(forms::MousePointer::Hourglass);
            (this->*op)();
            forms::SetMousePointer(forms::MousePointer::Default);
        });
    }
    CmdCatalogue->setMenu(menu);
}

// One prepared row per size row whose product is found and whose supplier reference holds the
// product's base reference, or per size row without product. The work table is emptied first:
// a second run makes the same rows, not twice as many.
void FrmStock::PreparerArticlesCatalogue()
{
    SurCatalogue(
        "PreparerArticlesCatalogue", "Préparation",
        [&](ado::Connection& catalogue, Ecartees& ecartees) {
            catalogue.BeginTrans();
            catalogue.Execute(std::string("DELETE FROM ") + CatalogueFournisseur::TableDeTravail);
            ado::Recordset produits = Ouvrir(catalogue, "article order by REFBASE");
            ado::Recordset prepares = Ouvrir(catalogue, CatalogueFournisseur::TableDeTravail);
            ado::Recordset tailles = Ouvrir(catalogue, "FICHIERARTICLE3 order by REFBASE");
            for (; !tailles.Eof(); tailles.MoveNext()) {
                const std::string refFournisseur =
                    ConvertNullStr(tailles["RefFournisseur"].Value());
                if (tailles["Famille"].Value().IsNull()) {
                    ecartees.push_back(refFournisseur + " : pas de famille");
                    continue;
                }
                const std::string refBase = ConvertNullStr(tailles["REFBASE"].Value());
                if (produits.RecordCount() > 0)
                    produits.Find("[REFBASE] like " +
                                      database::data::Quote(ado::LikeLiteral(refBase) + "*"),
                                  0, ado::adSearchForward, ado::adBookmarkFirst);
                const bool trouve = produits.RecordCount() > 0 && !produits.Eof();
                if (trouve && refFournisseur.find(ConvertNullStr(produits["REFBASE"].Value())) ==
                                  std::string::npos)
                    continue;
                prepares.AddNew();
                Copier(prepares, tailles,
                       {"REFBASE", "Designation", "RefFournisseur", "NomTaille", "Famille",
                        "NomFamille", "No", "Reference"});
                prepares["NoFournisseur"] = 1;
                if (trouve) {
                    Copier(prepares, produits,
                           {"DelaiLivraison", "Marque", "Descriptif", "Norme", "FicheTech",
                            "QteParPaket", "PrixAchatUnit"});
                    prepares["Image"] = produits["REFBASE"].Value();
                } else {
                    prepares["Image"] = tailles["REFBASE"].Value();
                }
                prepares.Update();
            }
            catalogue.CommitTrans();
        });
}

// Each prepared row takes the number of the size of its family whose name is its size name;
// rows without such a size keep theirs.
void FrmStock::ConvertirTaillesCatalogue()
{
    SurCatalogue(
        "ConvertirTaillesCatalogue", "Conversion des tailles",
        [&](ado::Connection& catalogue, Ecartees& ecartees) {
            catalogue.BeginTrans();
            ado::Recordset prepares = Ouvrir(catalogue, CatalogueFournisseur::TableDeTravail);
            ado::Command commande;
            commande.SetActiveConnection(cn);
            commande.SetCommandText("Tailles");
            ado::Recordset tailles;
            tailles.SetClientCursor(ado::adLockOptimistic);
            tailles.Open(commande);
            for (; !prepares.Eof(); prepares.MoveNext()) {
                const vb::Variant famille = prepares["Famille"].Value();
                if (famille.IsNull()) {
                    ecartees.push_back(ConvertNullStr(prepares["RefFournisseur"].Value()) +
                                       " : pas de famille");
                    continue;
                }
                commande.SetCommandText("Tailles where NoFamille=" +
                                        std::to_string(vb::CLng(famille)));
                tailles.Requery();
                if (tailles.RecordCount() == 0)
                    continue;
                tailles.Find("[Taille] like " + database::data::Quote(ado::LikeLiteral(
                                                    ConvertNullStr(prepares["NomTaille"].Value()))),
                             0, ado::adSearchForward, ado::adBookmarkFirst);
                if (tailles.Eof())
                    continue;
                prepares["Taille"] = tailles["NoTaille"].Value();
                prepares.Update();
            }
            tailles.Close();
            commande.ReleaseConnection();
            catalogue.CommitTrans();
        });
}

// One article per prepared row, numbered as the catalogue numbers it. A row the database
// refuses (a number an article holds, a family or size the system lacks) is left aside and
// reported at the end; the others are added.
void FrmStock::ImporterArticlesCatalogue()
{
    if (!SurCatalogue(
            "ImporterArticlesCatalogue", "Import",
            [&](ado::Connection& catalogue, Ecartees& ecartees) {
                ado::Recordset prepares = Ouvrir(catalogue, CatalogueFournisseur::TableDeTravail);
                ado::Recordset articles = Ouvrir(cn, "ArticleEnStock");
                cn.BeginTrans();
                try {
                    for (; !prepares.Eof(); prepares.MoveNext()) {
                        const vb::Variant reference = prepares["Reference"].Value();
                        if (reference.IsNull()) {
                            ecartees.push_back(ConvertNullStr(prepares["RefFournisseur"].Value()) +
                                               " : pas de référence");
                            continue;
                        }
                        try {
                            articles.AddNew();
                            Copier(articles, prepares,
                                   {"Reference", "Designation", "Marque", "RefFournisseur",
                                    "Descriptif", "Norme", "FicheTech", "QteParPaket",
                                    "PrixAchatUnit", "NoFournisseur", "Image", "DelaiLivraison",
                                    "Taille", "Famille"});
                            const vb::Variant unites = prepares["QteParPaket"].Value();
                            const vb::Variant prix = prepares["PrixAchatUnit"].Value();
                            if (!unites.IsNull() && !prix.IsNull())
                                articles["PrixAchatGlobal"] = vb::CCur(unites) * vb::CCur(prix);
                            articles["DateCreation"] = vb::Today();
                            articles.Update();
                        } catch (const vb::Error& erreur) {
                            vb::ResumeNext span;
                            span([&] { articles.CancelUpdate(); });
                            ecartees.push_back(vb::CStr(reference) + " : " + erreur.Description());
                        }
                    }
                    cn.CommitTrans();
                } catch (const vb::Error&) {
                    vb::ResumeNext span;
                    span([&] { cn.RollbackTrans(); });
                    throw;
                }
            }))
        return;
    // The grid and the card show the new articles.
    vb::ResumeNext span;
    span([&] { rs[Grille].Requery(); });
    span([&] { rs[Fiche].Requery(); });
    span([&] { SuivreGrille(); });
}

// Each product's "zoom_1.jpg" (found whatever its case) is copied as the picture the product's
// articles name, replacing it. A folder or picture name that would lead elsewhere is refused.
void FrmStock::ImageValmora()
{
    if (!SurCatalogue(
            "ImageValmora", "Images", [&](ado::Connection& catalogue, Ecartees& ecartees) {
                ado::Recordset produits = Ouvrir(catalogue, "article");
                const std::string images = win::NormalizePath(Global::CheminImages);
                for (; !produits.Eof(); produits.MoveNext()) {
                    const std::string numero = ConvertNullStr(produits["Numéro"].Value());
                    const std::string image = ConvertNullStr(produits["Image"].Value());
                    if (!NomSimple(numero) || !NomSimple(image)) {
                        ecartees.push_back(numero + " / " + image + " : nom refusé");
                        continue;
                    }
                    const auto zoom = win::FindFileIgnoringCase(images + "/imagesvalmora/" + numero,
                                                                "zoom_1.jpg");
                    if (!zoom)
                        continue;
                    const std::string cible = win::FindFileIgnoringCase(images, image + ".jpg")
                                                  .value_or(images + "/" + image + ".jpg");
                    std::error_code erreur;
                    fs::copy_file(*zoom, cible, fs::copy_options::overwrite_existing, erreur);
                    if (erreur)
                        ecartees.push_back(numero + " / " + image + " : " + erreur.message());
                }
            }))
        return;
    ChargerImage();
}
