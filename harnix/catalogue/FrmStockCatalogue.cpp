// The article window's import of a supplier's catalogue: the catalogue file of the program
// folder, the menu of the button "Catalogue fournisseur" that offers the three stages of the
// import (CatalogueArticles: prepare, convert, import, in that order) and the copy of the
// catalogue's pictures (at any time), and the report of each: an error says so, and the rows it
// left aside are listed at its end.

#include "harnix/catalogue/CatalogueFournisseur.h"
#include "harnix/catalogue/FrmStock.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/CatalogueArticles.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/MousePointer.h"
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

using CatalogueArticles::Ecartees;

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

// The three stages of the import (CatalogueArticles) on the catalogue of the program folder.
void FrmStock::PreparerArticlesCatalogue()
{
    SurCatalogue("PreparerArticlesCatalogue", "Préparation",
                 CatalogueArticles::PreparerArticlesCatalogue);
}

void FrmStock::ConvertirTaillesCatalogue()
{
    SurCatalogue("ConvertirTaillesCatalogue", "Conversion des tailles",
                 [&](ado::Connection& catalogue, Ecartees& ecartees) {
                     CatalogueArticles::ConvertirTaillesCatalogue(catalogue, cn, ecartees);
                 });
}

void FrmStock::ImporterArticlesCatalogue()
{
    if (!SurCatalogue("ImporterArticlesCatalogue", "Import",
                      [&](ado::Connection& catalogue, Ecartees& ecartees) {
                          CatalogueArticles::ImporterArticlesCatalogue(catalogue, cn, ecartees);
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
                ado::Recordset produits = CatalogueArticles::Ouvrir(catalogue, "article");
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
