// The article window's stock receipts: the receipt frame of the card with its live total, and
// the recording of a receipt (the article's stock and date, and a row of the journal).

#include "harnix/catalogue/FrmStock.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/magasin/EntreeStock.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/vb/Format.h"
#include "platform/vb/ResumeNext.h"

namespace {

void Libelle(const char* texte, QWidget* cadre, int haut)
{
    auto* label = new forms::Label({}, texte, cadre);
    forms::MoveTwips(*label, 120, haut + 40, 1300, 285);
}

} // namespace

void FrmStock::CreerEntreeStock()
{
    QWidget* fiche = FrameFicheProduit;
    CmdEntreStock = new forms::CommandButton("CmdEntreStock", "Entrée de stock", fiche);
    forms::MoveTwips(*CmdEntreStock, 6550, 3950, 2000, 375);

    FrmEntreStock = new forms::Frame("FrmEntreStock", "Entrée de Stock", fiche);
    // Beside the article's picture, under the code-creation frame.
    forms::MoveTwips(*FrmEntreStock, 9600, 5250, 5400, 1850);
    // Shown over the card: what lies under it must not show through.
    FrmEntreStock->setAutoFillBackground(true);
    FrmEntreStock->hide();

    Text2(3).setParent(FrmEntreStock);
    Libelle("Nb de pack:", FrmEntreStock, 320);
    forms::MoveTwips(Text2(3), 1500, 320, 1000, 330);
    Label4 = new forms::Label("Label4", "Total: 4 x 5 = 20", FrmEntreStock);
    forms::MoveTwips(*Label4, 2650, 360, 2300, 285);
    Libelle("Commentaire:", FrmEntreStock, 760);
    Text1 = new QLineEdit(FrmEntreStock);
    Text1->setObjectName("Text1");
    forms::MoveTwips(*Text1, 1500, 760, 3400, 330);
    CmdOkStock = new forms::CommandButton("CmdOkStock", "OK", FrmEntreStock);
    CmdAnnulStock = new forms::CommandButton("CmdAnnulStock", "Annuler", FrmEntreStock);
    forms::MoveTwips(*CmdOkStock, 1500, 1300, 1200, 375);
    forms::MoveTwips(*CmdAnnulStock, 2850, 1300, 1200, 375);

    Text2.ForEach([this](int index, forms::BoundText& boite) {
        connect(&boite, &forms::BoundText::Change, this, [this, index] { Text2_Change(index); });
    });
    connect(CmdEntreStock, &QPushButton::clicked, this, [this] { CmdEntreStock_Click(); });
    connect(CmdOkStock, &QPushButton::clicked, this, [this] { CmdOkStock_Click(); });
    connect(CmdAnnulStock, &QPushButton::clicked, this, [this] { CmdAnnulStock_Click(); });
}

void FrmStock::CmdEntreStock_Click()
{
    FrmEntreStock->show();
    FrmEntreStock->raise();
    Label4->clear();
    Text1->clear();
    Text2(3).clear();
    Text2(3).setFocus();
}

void FrmStock::FermerEntreeStock()
{
    FrmEntreStock->hide();
    CmdClose->setFocus();
}

void FrmStock::CmdAnnulStock_Click()
{
    FermerEntreeStock();
}

// The live total of the packs box; any other box changing (the card moving to another article)
// empties it.
void FrmStock::Text2_Change(int index)
{
    const std::string packs = Text2(3).Text().toStdString();
    if (index != 3 || packs.empty()) {
        Label4->clear();
        return;
    }
    if (packs == "-")
        return;
    try {
        const int32_t parPaquet = vb::CLng(rs[Fiche]["QteParPaket"].Value());
        Label4->SetCaption(QString::fromStdString(EntreeStock::TexteTotal(packs, parPaquet)));
    } catch (const vb::Error& erreur) {
        forms::MsgBox(QString::number(erreur.Number()) + " " +
                          QString::fromStdString(erreur.Description()),
                      forms::vbOKOnly);
    }
}

void FrmStock::RefuserEntreeStock(const char* message)
{
    forms::MsgBox(message, forms::vbExclamation + forms::vbOKOnly, "Erreur");
}

// Everything that can refuse the receipt is checked before anything is written.
void FrmStock::CmdOkStock_Click()
{
    const std::string packs = Text2(3).Text().toStdString();
    if (packs.empty()) {
        FermerEntreeStock();
        return;
    }
    if (!CarteSurUneLigne()) {
        RefuserEntreeStock("Pas d'article sélectionné, entrée de stock annulée !");
        return;
    }
    int32_t nombre = 0;
    try {
        nombre = EntreeStock::NombrePacks(packs);
    } catch (const vb::Error&) {
        RefuserEntreeStock("Nombre de packs incorrect, entrée de stock annulée !");
        return;
    }
    try {
        // The card's pending edit is saved apart: a receipt that fails must not take it away.
        data2->UpdateRecord();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdOkStock_Click", erreur);
        return;
    }
    const vb::Variant parPaquet = rs[Fiche]["QteParPaket"].Value();
    if (parPaquet.IsNull() || parPaquet.IsEmpty()) {
        RefuserEntreeStock("Nombre d'unités par pack non renseigné, entrée de stock annulée !");
        return;
    }
    int32_t unites = 0;
    int32_t stock = 0;
    try {
        unites = EntreeStock::Unites(nombre, vb::CLng(parPaquet));
        const vb::Variant enStock = rs[Fiche]["QteEnStock"].Value();
        stock = enStock.IsNull() ? unites : EntreeStock::Ajouter(vb::CLng(enStock), unites);
    } catch (const vb::Error&) {
        RefuserEntreeStock("Quantité trop grande, entrée de stock annulée !");
        return;
    }
    try {
        const bool surUneLigne = !rs[Grille].Eof() && !rs[Grille].Bof();
        const ado::Bookmark signet = surUneLigne ? rs[Grille].GetBookmark() : ado::Bookmark();
        EnregistrerEntreeStock(stock, unites);
        // The grid and the card's totals show the receipt.
        rs[Grille].Requery();
        FrmEntreStock->hide();
        if (surUneLigne)
            rs[Grille].SetBookmark(signet);
        CmdClose->setFocus();
    } catch (const vb::Error& erreur) {
        // Another workstation changed the article since the card read it: nothing was written,
        // the card now shows the stock as it is, and the receipt may be made again.
        if (erreur.Number() == ado::ErrRowChanged) {
            RefuserEntreeStock("L'article a été modifié entre-temps sur un autre poste : son stock "
                               "vient d'être relu. Entrée de stock annulée, vous pouvez la "
                               "refaire.");
            return;
        }
        FnTundrel::AfficherErreur("CmdOkStock_Click", erreur);
    }
}

// The supplier's company as the article's row of StockGlobal now reads: the grid's row does not
// show a supplier just chosen on the card until the grid is read again.
vb::Variant FrmStock::SocieteDeLArticle()
{
    ado::Recordset article;
    article.SetCursorLocation(ado::adUseClient);
    article.Open("SELECT Societe FROM StockGlobal WHERE Reference = " +
                     std::to_string(vb::CLng(rs[Fiche]["Reference"].Value())),
                 cn, ado::adOpenDynamic, ado::adLockReadOnly);
    return article.Eof() ? vb::Variant::Null() : article["Societe"].Value();
}

void FrmStock::EnregistrerEntreeStock(int32_t stock, int32_t unites)
{
    cn.BeginTrans();
    try {
        rs[Fiche]["QteEnStock"] = stock;
        rs[Fiche]["DateDernierMouvement"] = vb::Format(vb::Today(), "Short Date");
        rs[Fiche].Update();
        ado::Command commande;
        commande.SetActiveConnection(cn);
        commande.SetCommandText("MouvementStock");
        ado::Recordset journal;
        journal.SetClientCursor(ado::adLockOptimistic);
        journal.Open(commande);
        journal.AddNew();
        journal["DateEntree"] = rs[Fiche]["DateDernierMouvement"].Value();
        journal["Qte"] = unites;
        journal["NomFournisseur"] = SocieteDeLArticle();
        journal["RefProduit"] = rs[Fiche]["Reference"].Value();
        journal["RefFournisseur"] = rs[Fiche]["RefFournisseur"].Value();
        journal["Designation"] = rs[Fiche]["Designation"].Value();
        journal["Commentaire"] = Text1->text().toStdString();
        journal.Update();
        journal.Close();
        commande.ReleaseConnection();
        cn.CommitTrans();
    } catch (const vb::Error&) {
        vb::ResumeNext span;
        span([&] { cn.RollbackTrans(); });
        span([&] {
            if (rs[Fiche].EditMode() != ado::adEditNone)
                rs[Fiche].CancelUpdate();
        });
        span([&] { rs[Fiche].Requery(); });
        span([&] { SuivreGrille(); });
        throw;
    }
}
