#include "harnix/catalogue/FrmStock.h"

#include "harnix/catalogue/ArticleKeys.h"
#include "harnix/commun/ChoixArticleMachine.h"
#include "harnix/commun/ChoixArticleQuota.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/ArticleCodes.h"
#include "harnix/magasin/ArticlePrices.h"
#include "harnix/magasin/AttributionCodes.h"
#include "platform/ado/Text.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

#include <QFocusEvent>

#include <algorithm>

namespace {

// The grid's columns: header and field.
struct Colonne
{
    const char* entete;
    const char* champ;
    int largeur;
};
// Widths in twips: with headers on two lines every column shows whole in the grid.
constexpr Colonne Colonnes[] = {
    {"Réference", "Reference", 1050},
    {"Ref. Fournisseur", "RefFournisseur", 1200},
    {"Désignation", "Designation", 3650},
    {"Taille", "Taille", 650},
    {"Code Article", "CodeArticle", 800},
    {"Famille", "NomFamille", 2200},
    {"Prix achat Unitaire", "PrixAchatUnit", 1000},
    {"Valeur stock", "ValeurStock", 850},
    {"Qté en réserve", "QteEnStock", 850},
    {"Qté en machine", "QteEnMachine", 900},
    {"Qté Global", "QteGlobal", 750},
    {"Stock Alarm", "StockAlert", 750},
};

// Money values (prices, stock value) show with two decimals wherever they show.
constexpr const char* FormatMonnaie = "0.00";
constexpr int ColonnesMonnaie[] = {6, 7};
constexpr int BoitesMonnaie[] = {2, 7, 9};

// The card's boxes: index, source (1 data1, 2 data2, 0 none), field, label, read-only.
struct Boite
{
    int index;
    int source;
    const char* champ;
    const char* libelle;
    bool lecture;
};
constexpr Boite Boites[] = {
    {0, 2, "Reference", "Réference:", true},
    {1, 2, "Designation", "Désignation:", false},
    {2, 2, "Prix", "Prix de vente TTC:", false},
    {3, 0, "", "Nb de pack:", false},
    {4, 2, "QteParPaket", "Nb Unit./Pack:", false},
    {5, 2, "StockAlert", "Stock alerte:", false},
    {6, 1, "NomContact", "Contact:", true},
    {7, 2, "PrixAchatUnit", "Prix achat/Unit. HT:", false},
    {8, 1, "CodeFournisseur", "Code:", true},
    {9, 2, "PrixAchatGlobal", "Prix achat/Pack. HT:", false},
    {10, 1, "Adresse", "Adresse:", true},
    {11, 1, "CodePostal", "Code postal:", true},
    {12, 1, "Ville", "Ville:", true},
    {13, 1, "Tel", "Tel:", true},
    {14, 1, "Fax", "Fax:", true},
    {15, 2, "Norme", "Norme:", false},
    {16, 2, "RefFournisseur", "Réf. fournisseur:", false},
    {17, 2, "Marque", "Marque:", false},
    {18, 2, "DelaiLivraison", "Délais Livraison:", false},
};

// Where each box of the card lies (left, top, width in twips, inside its frame).
struct Place
{
    int index;
    int gauche;
    int haut;
    int largeur;
};
// First column: the article; SSFrame1: the supplier; Text2(3) sits in the receipt area.
constexpr Place PlacesArticle[] = {
    {0, 2050, 300, 1200},   {1, 2050, 700, 4200},  {16, 2050, 1100, 2200}, {17, 2050, 1500, 2200},
    {15, 2050, 1900, 2200}, {2, 2050, 4700, 1200}, {7, 2050, 5100, 1200},  {9, 2050, 5500, 1200},
    {4, 2050, 5900, 1200},  {5, 2050, 6300, 1200}, {18, 2050, 6700, 1200},
};
// Wide enough for a company name and an address line as the supplier window keeps them.
constexpr Place PlacesFournisseur[] = {
    {8, 1400, 700, 1500},   {6, 1400, 1100, 4200},  {10, 1400, 1500, 4200}, {11, 1400, 1900, 1000},
    {12, 1400, 2300, 4200}, {13, 1400, 2700, 1500}, {14, 1400, 3100, 1500},
};

constexpr const char* ChampsTri[] = {"", "Reference", "Designation", "CodeArticle",
                                     "RefFournisseur"};

std::string Nombre(const vb::Variant& valeur)
{
    return vb::CStr(FonctionUtilitaires::ConvertNullNum(valeur));
}

// A box keeps its edit while another window (a message box, a combo's list) takes the focus.
bool FocusVersUneAutreFenetre(const QEvent& event)
{
    const Qt::FocusReason raison = static_cast<const QFocusEvent&>(event).reason();
    return raison == Qt::ActiveWindowFocusReason || raison == Qt::PopupFocusReason;
}

forms::Label* Libelle(const QString& texte, QWidget* parent, int gauche, int haut, int largeur)
{
    auto* label = new forms::Label({}, texte, parent);
    forms::MoveTwips(*label, gauche, haut + 40, largeur, 285);
    return label;
}

} // namespace

FrmStock::FrmStock()
{
    setObjectName("FrmStock");
    SetCaption("Articles en stock");
    // A row under the buttons holds the stock-alert controls.
    forms::Form::Move(0, 0, 15600, 10800);

    data1 = new forms::DataControl("data1", this);
    data2 = new forms::DataControl("data2", this);
    data3 = new forms::DataControl("data3", this);
    data4 = new forms::DataControl("data4", this);
    data5 = new forms::DataControl("data5", this);
    data6 = new forms::DataControl("data6", this);
    for (forms::DataControl* d : {data3, data4, data5, data6})
        d->hide();

    FrameOptData2 = new forms::Frame("FrameOptData2", {}, this);
    SSOptionRef = new forms::OptionButton("SSOptionRef", "Par Réference", FrameOptData2);
    SSOptionRefFour =
        new forms::OptionButton("SSOptionRefFour", "Par Ref. Fournisseur", FrameOptData2);
    SSOptionDesi = new forms::OptionButton("SSOptionDesi", "Par désignation", FrameOptData2);
    SSOptionCodArticle =
        new forms::OptionButton("SSOptionCodArticle", "Par code article", FrameOptData2);
    forms::MoveTwips(*FrameOptData2, 120, 60, 7800, 600);
    forms::MoveTwips(*SSOptionRef, 120, 200, 1700, 300);
    forms::MoveTwips(*SSOptionRefFour, 1900, 200, 2100, 300);
    forms::MoveTwips(*SSOptionDesi, 4100, 200, 1800, 300);
    forms::MoveTwips(*SSOptionCodArticle, 6000, 200, 1700, 300);
    SSOptionRef->SetValue(true);

    Libelle("Rechercher:", this, 8100, 240, 1100);
    TextCherche = new QLineEdit(this);
    TextCherche->setObjectName("TextCherche");
    forms::MoveTwips(*TextCherche, 9200, 240, 2600, 330);

    SSPanel1 = new forms::Panel("SSPanel1", {}, this);
    OptionTableau = new forms::OptionButton("OptionTableau", "Tableau", SSPanel1);
    OptionFiche = new forms::OptionButton("OptionFiche", "Fiche", SSPanel1);
    forms::MoveTwips(*SSPanel1, 12000, 120, 2200, 480);
    forms::MoveTwips(*OptionTableau, 100, 90, 1000, 300);
    forms::MoveTwips(*OptionFiche, 1150, 90, 950, 300);
    OptionTableau->SetValue(true);

    DBGrid2 = new forms::DataGrid("DBGrid2", this);
    DBGrid2->SetCaption("Article en stock");
    DBGrid2->SetHeadLines(2);
    for (const Colonne& c : Colonnes)
        DBGrid2->AddColumn(QString::fromUtf8(c.entete), c.champ, c.largeur);
    // Money shows with two decimals, as the card's price boxes show it.
    for (int c : ColonnesMonnaie)
        DBGrid2->Columns(c).SetNumberFormat(FormatMonnaie);
    DBGrid2->SetDataSource(data1);
    DBGrid2->SetAllowAddNew(true);
    forms::MoveTwips(*DBGrid2, 120, 780, 15240, 8200);
    forms::MoveTwips(*data1, 120, 9060, 5000, 330);

    CreerFiche();
    CreerEntreeStock();

    CmdAjout = new forms::CommandButton("CmdAjout", "Ajout article", this);
    CmdSelectioner = new forms::CommandButton("CmdSelectioner", "Séléctionner", this);
    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);
    forms::MoveTwips(*CmdAjout, 9000, 9060, 1800, 420);
    forms::MoveTwips(*CmdSelectioner, 11000, 9060, 1800, 420);
    forms::MoveTwips(*CmdClose, 13300, 9060, 1800, 420);
    CmdSelectioner->hide();
    CreerZoneImage();
    CreerZoneAlertes();
    CreerMenuCatalogue();

    connect(data1, &forms::DataControl::MoveComplete, this, [this] { data1_MoveComplete(); });
    connect(data2, &forms::DataControl::MoveComplete, this, [this] { data2_MoveComplete(); });
    for (forms::OptionButton* option :
         {SSOptionRef, SSOptionRefFour, SSOptionDesi, SSOptionCodArticle})
        connect(option, &forms::OptionButton::Click, this, [this] { AppliquerModeRecherche(); });
    connect(OptionTableau, &forms::OptionButton::Click, this, [this] { OptionTableau_Click(); });
    connect(OptionFiche, &forms::OptionButton::Click, this, [this] { OptionFiche_Click(); });
    connect(DBGrid2, &forms::DataGrid::HeadClick, this,
            [this](int col) { DBGrid2_HeadClick(col); });
    connect(DBGrid2, &forms::DataGrid::DblClick, this, [this] { DBGrid2_DblClick(); });
    connect(DBGrid2, &forms::DataGrid::OnAddNew, this, [this] { DBGrid2_OnAddNew(); });
    connect(TextCherche, &QLineEdit::textChanged, this, [this] { TextCherche_Change(); });
    forms::OnKeyPress(TextCherche, [this](int& k) { TextCherche_KeyPress(k); });
    TextCherche->installEventFilter(this);
    forms::AcceptOnly(DBGrid2, "0123456789");
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    connect(CmdAjout, &QPushButton::clicked, this, [this] { CmdAjout_Click(); });
    connect(CmdSelectioner, &QPushButton::clicked, this, [this] { CmdSelectioner_Click(); });
}

void FrmStock::CreerFiche()
{
    FrameFicheProduit = new forms::Frame("FrameFicheProduit", "Fiche produit:", this);
    forms::MoveTwips(*FrameFicheProduit, 120, 780, 15240, 8200);
    // The card covers the grid.
    FrameFicheProduit->setAutoFillBackground(true);
    FrameFicheProduit->hide();
    QWidget* fiche = FrameFicheProduit;

    SSFrame1 = new forms::Frame("SSFrame1", "Fournisseur", fiche);
    forms::MoveTwips(*SSFrame1, 6550, 240, 5800, 3600);

    for (const Boite& b : Boites) {
        auto& boite = Text2.Add(b.index, new forms::BoundText({}, fiche));
        boite.SetLocked(b.lecture);
        if (b.source != 0)
            boite.Bind(b.source == 1 ? data1 : data2, b.champ);
        if (std::find(std::begin(BoitesMonnaie), std::end(BoitesMonnaie), b.index) !=
            std::end(BoitesMonnaie))
            boite.SetDataFormat(FormatMonnaie);
        forms::OnKeyPress(&boite, [this, i = b.index](int& k) { Text2_KeyPress(i, k); });
        boite.installEventFilter(this);
    }
    auto libelleDe = [](int index) {
        for (const Boite& b : Boites)
            if (b.index == index)
                return QString::fromUtf8(b.libelle);
        return QString();
    };
    for (const Place& p : PlacesArticle) {
        forms::MoveTwips(Text2(p.index), p.gauche, p.haut, p.largeur, 330);
        Libelle(libelleDe(p.index), fiche, 120, p.haut, 1900);
    }
    for (const Place& p : PlacesFournisseur) {
        Text2(p.index).setParent(SSFrame1);
        forms::MoveTwips(Text2(p.index), p.gauche, p.haut, p.largeur, 330);
        Libelle(libelleDe(p.index), SSFrame1, 120, p.haut, 1250);
    }

    DBCombo2 = new forms::DataCombo("DBCombo2", forms::DataCombo::dbcDropdownList, SSFrame1);
    DBCombo2->SetRowSource(data4);
    DBCombo2->SetListField("Societe");
    DBCombo2->SetBoundColumn("No");
    DBCombo2->Bind(data2, "NoFournisseur");
    forms::MoveTwips(*DBCombo2, 1400, 300, 4200, 330);
    Libelle("Société:", SSFrame1, 120, 300, 1250);

    DBCombo1 = new forms::DataCombo("DBCombo1", forms::DataCombo::dbcDropdownList, fiche);
    DBCombo1->SetRowSource(data3);
    DBCombo1->SetListField("NomFamille");
    DBCombo1->SetBoundColumn("NoFamille");
    DBCombo1->Bind(data2, "Famille");
    DataCombo3 = new forms::DataCombo("DataCombo3", forms::DataCombo::dbcDropdownList, fiche);
    DataCombo3->SetRowSource(data6);
    DataCombo3->SetListField("Taille");
    DataCombo3->SetBoundColumn("NoTaille");
    DataCombo3->Bind(data2, "Taille");
    DBCombo3 = new forms::DataCombo("DBCombo3", forms::DataCombo::dbcDropdownCombo, fiche);
    DBCombo3->SetRowSource(data5);
    DBCombo3->SetListField("CodeArticle");
    Check1 = new forms::CheckBox("Check1", "Intervertir", fiche);
    Command2 = new forms::CommandButton("Command2", "Créer des Codes Articles", fiche);
    // Wide enough for a family name such as PROTECTION AUDITIVE.
    forms::MoveTwips(*DBCombo1, 2050, 2300, 3000, 330);
    Libelle("Famille:", fiche, 120, 2300, 1750);
    forms::MoveTwips(*DataCombo3, 2050, 2700, 1200, 330);
    Libelle("Taille:", fiche, 120, 2700, 1750);
    forms::MoveTwips(*DBCombo3, 2050, 3100, 1200, 330);
    Libelle("Code Article:", fiche, 120, 3100, 1750);
    forms::MoveTwips(*Check1, 3350, 3100, 1300, 330);
    forms::MoveTwips(*Command2, 2050, 3500, 2600, 375);

    CmdCodeBar = new forms::CommandButton("CmdCodeBar", "Code à Bar", fiche);
    forms::MoveTwips(*CmdCodeBar, 4750, 3500, 1500, 375);

    auto etiquette = [&](int index, forms::DataControl* source, const char* champ,
                         const char* libelle, int gauche, int haut) {
        auto& label = Label2.Add(index, new forms::BoundLabel({}, fiche));
        auto& lie = static_cast<forms::BoundLabel&>(label);
        lie.Bind(source, champ);
        if (index == LabelDateCreation || index == LabelDateModif)
            lie.SetDataFormat("Short Date");
        forms::MoveTwips(label, gauche + 1750, haut + 40, 2000, 285);
        Libelle(QString::fromUtf8(libelle), fiche, gauche, haut, 1700);
    };
    etiquette(LabelDateCreation, data2, "DateCreation", "Date création:", 120, 7100);
    etiquette(LabelDateModif, data2, "DateDernierMouvement", "Date modif:", 120, 7450);
    etiquette(LabelCodeBar, data2, "CodeBar", "Code EAN:", 120, 3950);
    etiquette(LabelQteEnStock, data1, "QteEnStock", "Qté en réserve:", 3400, 5100);
    etiquette(LabelQteEnMachine, data1, "QteEnMachine", "Qté en machine:", 3400, 5500);
    etiquette(LabelQteGlobal, data1, "QteGlobal", "Qté Total:", 3400, 5900);
    auto& paquets = Label2.Add(LabelPaquets, new forms::Label({}, {}, fiche));
    forms::MoveTwips(paquets, 3350, 6340, 1800, 285);

    Frame1 = new forms::Frame("Frame1", "Création Codes Articles", fiche);
    forms::MoveTwips(*Frame1, 9600, 3950, 3600, 1200);
    new forms::Label("Label3", "De 1 jusqu'a :", Frame1);
    forms::MoveTwips(*Frame1->findChild<forms::Label*>("Label3"), 120, 340, 1300, 285);
    Text3 = new QLineEdit("99", Frame1);
    Text3->setObjectName("Text3");
    forms::MoveTwips(*Text3, 1450, 300, 900, 330);
    Command3 = new forms::CommandButton("Command3", "OK", Frame1);
    Command4 = new forms::CommandButton("Command4", "Annuler", Frame1);
    forms::MoveTwips(*Command3, 600, 720, 1100, 375);
    forms::MoveTwips(*Command4, 1800, 720, 1100, 375);
    // Shown over the card: what lies under it must not show through.
    Frame1->setAutoFillBackground(true);
    Frame1->hide();
    Frame1->raise();

    forms::MoveTwips(*data2, 120, 7850, 5000, 330);

    forms::AcceptOnly(Text3, "0123456789");
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
    connect(Check1, &forms::CheckBox::Click, this, [this] { Check1_Click(); });
    connect(DBCombo3, &forms::DataCombo::Click, this, [this](int a) { DBCombo3_Click(a); });
    connect(DBCombo1, &forms::DataCombo::Click, this, [this](int a) { DBCombo1_Click(a); });
    connect(DBCombo2, &forms::DataCombo::Click, this, [this](int a) { DBCombo2_Click(a); });
    connect(CmdCodeBar, &QPushButton::clicked, this, [this] { CmdCodeBar_Click(); });
}

bool FrmStock::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TextCherche && event->type() == QEvent::MouseButtonPress) {
        TextCherche_Click();
    } else if (event->type() == QEvent::FocusOut && !FocusVersUneAutreFenetre(*event)) {
        for (const Boite& b : Boites)
            if (watched == &Text2(b.index))
                Text2_LostFocus(b.index);
    }
    return forms::Form::eventFilter(watched, event);
}

// Loading, activation, closing.

void FrmStock::Form_Load()
{
    SetKeyPreview(true);
    SetCaption("Articles en stock");
    FonctionUtilitaires::CentrerFenetre(*this);
    DBGridStockVisible();
    try {
        cn.Open(Global::ChaineConnexion);
        OuvrirTable("Familles", Familles);
        OuvrirTable("Fournisseur", Fournisseurs);
        OuvrirTable("CodeArticle", CodesArticle);
        OuvrirTable("ArticleEnStock", Fiche);
        data2->SetRecordset(rs[Fiche]);
        OuvrirTable("StockGlobal", Grille);
        data1->SetRecordset(rs[Grille]);
        data3->SetRecordset(rs[Familles]);
        data4->SetRecordset(rs[Fournisseurs]);
        data5->SetRecordset(rs[CodesArticle]);
        OuvrirTable("Tailles", Tailles);
        data6->SetRecordset(rs[Tailles]);
        // A receipt's comment is saved into its journal row: no more than the column holds.
        ado::Recordset journal;
        journal.SetCursorLocation(ado::adUseClient);
        journal.Open("SELECT Commentaire FROM MouvementStock WHERE 0 = 1", cn, ado::adOpenDynamic,
                     ado::adLockReadOnly);
        forms::LimitToField(*Text1, journal.Fields("Commentaire"));
        SuivreGrille();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
    for (int c = 0; c <= 7; ++c) {
        DBGrid2->Columns(c).SetAllowSizing(false);
        DBGrid2->Columns(c).SetLocked(true);
    }
}

void FrmStock::OuvrirTable(const std::string& texte, Jeu slot)
{
    cmd[slot].SetActiveConnection(cn);
    cmd[slot].SetCommandText(texte);
    rs[slot].SetClientCursor(ado::adLockPessimistic);
    rs[slot].Open(cmd[slot]);
}

void FrmStock::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    SSOptionRef->SetValue(true);
    FenetreActivee = true;
    try {
        for (std::size_t slot = Grille; slot <= Tailles; ++slot)
            if (rs[slot].State() == ado::adStateOpen)
                rs[slot].Requery();
        // The card's requery put it on its first row: back to the grid's article.
        SuivreGrille();
        // The code list was requeried after the card: its text shows the article's code again.
        if (CarteSurUneLigne())
            AfficherCodeArticle();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FrmStock::Form_Unload(int& cancel)
{
    (void)cancel;
    EnregistrerFiche();
    cmd[1].ReleaseConnection();
    vb::ResumeNext span;
    span([&] { cn.Close(); });
}

bool FrmStock::CarteSurUneLigne() const
{
    return rs[Fiche].State() == ado::adStateOpen && !rs[Fiche].Eof() && !rs[Fiche].Bof();
}

void FrmStock::EnregistrerFiche()
{
    vb::ResumeNext span;
    span([&] {
        if (CarteSurUneLigne())
            data2->UpdateRecord();
    });
}

void FrmStock::CmdClose_Click()
{
    if (!CmdSelectioner->isHidden() &&
        (!Global::ConfigMachineOuverte || !Global::FenQuotaOuverte)) {
        Hide();
    } else {
        try {
            if (CarteSurUneLigne())
                data2->UpdateRecord();
        } catch (const vb::Error& erreur) {
            // The edit stays on the card, to be put right.
            FnTundrel::AfficherErreur(erreur.Description(), erreur);
            return;
        }
        Hide();
    }
    DBGridStockVisible();
}

void FrmStock::DBGridStockVisible()
{
    CmdSelectioner->hide();
    TextCherche->clear();
    FrameOptData2->show();
    DBGrid2->show();
    data1->show();
    data2->hide();
    CmdAjout->show();
    SSPanel1->show();
    ModeRecherche = ModeDesOptions();
    // The picture buttons and the article's picture.
    CmdScanner->show();
    CmdChoixImage->show();
    ChargerImage();
    // The stock-alert buttons.
    Command1->show();
    CmdPeriode->show();
    CmdCatalogue->show();
}

void FrmStock::Form_KeyPress(int& keyAscii)
{
    if (keyAscii != '@')
        return;
    RechercheCodeBar = true;
    TextCherche->clear();
    TextCherche->setFocus();
    keyAscii = 0;
}

// Grid and card.

void FrmStock::SuivreGrille()
{
    if (rs[Grille].State() != ado::adStateOpen || rs[Fiche].State() != ado::adStateOpen ||
        rs[Grille].RecordCount() == 0 || rs[Fiche].RecordCount() == 0 || rs[Grille].Eof() ||
        rs[Grille].Bof())
        return;
    const vb::Variant reference = rs[Grille]["Reference"].Value();
    if (reference.IsNull())
        return;
    if (CarteSurUneLigne()) {
        const vb::Variant carte = rs[Fiche]["Reference"].Value();
        if (!carte.IsNull() && vb::CLng(carte) == vb::CLng(reference))
            return;
    }
    rs[Fiche].Find("[Reference]=" + vb::CStr(reference), 0, ado::adSearchForward,
                   ado::adBookmarkFirst);
}

void FrmStock::data1_MoveComplete()
{
    if (rs[Grille].State() != ado::adStateOpen || rs[Grille].RecordCount() == 0)
        return;
    long position = rs[Grille].AbsolutePosition();
    if (position < 0)
        position = 1;
    data1->SetCaption(QString::number(position) + " / " +
                      QString::number(rs[Grille].RecordCount()));
    vb::ResumeNext span;
    if (rs[Fiche].State() == ado::adStateOpen && rs[Fiche].RecordCount() > 1) {
        try {
            SuivreGrille();
        } catch (const vb::Error& erreur) {
            // The card's edit could not be saved, so the card stays on its article: told as a
            // data control tells a refused move, and the grid goes back to that article too.
            forms::MsgBox(QString::fromStdString(erreur.what()), forms::vbExclamation);
            span([&] {
                rs[Grille].Find("[Reference]=" + vb::CStr(rs[Fiche]["Reference"].Value()), 0,
                                ado::adSearchForward, ado::adBookmarkFirst);
            });
            return;
        }
        span([&] { AfficherAlerteStock(); });
    }
    span([&] { ColorerNombres(); });
    span([&] { AfficherPaquets(); });
    ChargerImage();
}

void FrmStock::ColorerNombres()
{
    for (int index : {2, 4, 5, 6, 7, 8, 9}) {
        forms::BoundText& boite = Text2(index);
        const std::string texte = boite.Text().toStdString();
        const bool negatif = vb::IsNumeric(texte) && vb::CDbl(texte) < 0;
        QPalette palette = boite.palette();
        palette.setColor(QPalette::Text, negatif ? Qt::red : Qt::black);
        boite.setPalette(palette);
    }
}

// Another article on the card: shows its position and its family's sizes.
void FrmStock::data2_MoveComplete()
{
    if (!CarteSurUneLigne())
        return;
    vb::ResumeNext span;
    span([&] {
        long position = rs[Fiche].AbsolutePosition();
        if (position < 0)
            position = 1;
        data2->SetCaption(QString::number(position) + " / " +
                          QString::number(rs[Fiche].RecordCount()));
    });
    span([&] {
        const vb::Variant famille = rs[Fiche]["Famille"].Value();
        if (rs[Tailles].State() == ado::adStateOpen && !famille.IsNull()) {
            cmd[6].SetCommandText("Tailles where NoFamille=" + vb::CStr(famille) +
                                  " order by Ordre");
            rs[Tailles].Requery();
        }
    });
    span([&] { ListerCodes("CodeArticle where (Reference Is Null)"); });
    span([&] { AfficherCodeArticle(); });
}

void FrmStock::AfficherCodeArticle()
{
    const vb::Variant code = rs[Fiche]["CodeArticle"].Value();
    DBCombo3->setEnabled(code.IsNull());
    DBCombo3->SetText(code.IsNull() ? QString() : QString::fromStdString(vb::CStr(code)));
}

void FrmStock::ListerCodes(const std::string& commande)
{
    if (rs[CodesArticle].State() != ado::adStateOpen)
        return;
    cmd[5].SetCommandText(commande);
    // Emptied first: the combo must not look its old text up among the new entries.
    DBCombo3->SetText({});
    rs[CodesArticle].Requery();
}

void FrmStock::OptionFiche_Click()
{
    FrameFicheProduit->show();
    FrameFicheProduit->raise();
}

void FrmStock::OptionTableau_Click()
{
    FrameFicheProduit->hide();
    if (rs[Grille].State() != ado::adStateOpen || rs[Grille].RecordCount() < 0)
        return;
    try {
        const bool surUneLigne = !rs[Grille].Eof() && !rs[Grille].Bof();
        const ado::Bookmark signet = surUneLigne ? rs[Grille].GetBookmark() : ado::Bookmark();
        rs[Grille].Requery();
        if (surUneLigne)
            rs[Grille].SetBookmark(signet);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

// A double click opens the article's card, or picks the article when the window is a picker.
void FrmStock::DBGrid2_DblClick()
{
    if (CmdSelectioner->isHidden())
        OptionFiche->SetValue(true);
    else
        CmdSelectioner_Click();
}

// A key typed in the grid's empty last row: the card's recordset gets a new article numbered
// from the row number the database gives it. The grid offers no new row after that.
void FrmStock::DBGrid2_OnAddNew()
{
    vb::ResumeNext span;
    span([&] { DBGrid2->SetAllowAddNew(false); });
    vb::Variant reference = vb::Variant::Null();
    span([&] {
        rs[Fiche].AddNew();
        // No is given when the row is first saved.
        rs[Fiche].Update();
        reference = vb::CLng(rs[Fiche]["No"].Value()) + 1000;
        rs[Fiche]["Reference"] = reference;
        try {
            rs[Fiche].Update();
        } catch (const vb::Error&) {
            // A number another article holds: no article is left without a number.
            reference = vb::Variant::Null();
            rs[Fiche].CancelUpdate();
            rs[Fiche].Delete();
            throw;
        }
    });
    // Saved, the grid's own record would be a second article, without a number: the requery
    // drops it (nothing is typed into it yet) and the grid shows the article made here.
    span([&] { rs[Grille].Requery(); });
    span([&] {
        if (!reference.IsNull())
            rs[Grille].Find("[Reference]=" + vb::CStr(reference), 0, ado::adSearchForward,
                            ado::adBookmarkFirst);
    });
}

// Search.

int FrmStock::ModeDesOptions() const
{
    if (SSOptionRef->Value())
        return ModeReference;
    if (SSOptionCodArticle->Value())
        return ModeCodeArticle;
    if (SSOptionRefFour->Value())
        return ModeRefFournisseur;
    return ModeDesignation;
}

void FrmStock::AppliquerModeRecherche()
{
    if (!FenetreActivee)
        return;
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    OptionTableau->SetValue(true);
    TextCherche->clear();
    TextCherche->setFocus();
    ModeRecherche = ModeDesOptions();
    try {
        rs[Grille].SetSort(ChampsTri[ModeRecherche]);
        rs[Fiche].SetSort(ChampsTri[ModeRecherche]);
        rs[Fiche].Requery();
        DBGrid2->Refresh();
        rs[Familles].Requery();
        rs[Fournisseurs].Requery();
        SuivreGrille();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FrmStock::ChoisirOption(forms::OptionButton* option)
{
    if (option->Value())
        AppliquerModeRecherche();
    else
        option->SetValue(true);
}

// A column's header chooses the search on that column.
void FrmStock::DBGrid2_HeadClick(int colIndex)
{
    switch (colIndex) {
    case 0:
        ChoisirOption(SSOptionRef);
        return;
    case 1:
        ChoisirOption(SSOptionRefFour);
        return;
    case 2:
        ChoisirOption(SSOptionDesi);
        return;
    case 4:
        ChoisirOption(SSOptionCodArticle);
        return;
    case 3:
        return;
    default:
        break;
    }
    if (colIndex < 5 || colIndex > 11)
        return;
    try {
        rs[Grille].SetSort(Colonnes[colIndex].champ);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

void FrmStock::TextCherche_Change()
{
    std::string texte = TextCherche->text().toStdString();
    if (texte.empty() || rs[Grille].State() != ado::adStateOpen || rs[Grille].RecordCount() == 0)
        return;
    // A number key with a text that is no number (letters typed under the article code, a
    // pasted text) finds nothing, without an error.
    const bool cleNumerique =
        !RechercheCodeBar && (ModeRecherche == ModeReference || ModeRecherche == ModeCodeArticle);
    if (cleNumerique && !vb::IsNumeric(texte))
        return;
    try {
        const bool surUneLigne = !rs[Grille].Eof() && !rs[Grille].Bof();
        const ado::Bookmark signet = surUneLigne ? rs[Grille].GetBookmark() : ado::Bookmark();
        std::string critere;
        if (RechercheCodeBar) {
            if (texte.front() == '@')
                texte.erase(0, 1);
            critere = "[CodeBar] like '" + ado::DoubledQuotes(texte) + "*'";
        } else if (ModeRecherche == ModeDesignation) {
            critere = "[Designation] like '" + ado::DoubledQuotes(vb::UCase(texte)) + "*'";
        } else if (ModeRecherche == ModeReference) {
            critere = "[Reference]=" + Nombre(texte);
        } else if (ModeRecherche == ModeRefFournisseur) {
            critere = "[RefFournisseur] like '" + ado::DoubledQuotes(vb::UCase(texte)) + "*'";
        } else {
            critere = "[CodeArticle]=" + Nombre(texte);
        }
        rs[Grille].Find(critere, 0, ado::adSearchForward, ado::adBookmarkCurrent);
        if (rs[Grille].Eof() && surUneLigne)
            rs[Grille].SetBookmark(signet);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

void FrmStock::TextCherche_KeyPress(int& keyAscii)
{
    if (keyAscii == forms::vbKeyReturn) {
        RechercheCodeBar = false;
        keyAscii = 0;
        return;
    }
    if (ModeRecherche == ModeReference)
        keyAscii = forms::AcceptKey(keyAscii, "0123456789");
}

void FrmStock::TextCherche_Click()
{
    OptionTableau->SetValue(true);
    TextCherche->clear();
}

// New articles.

void FrmStock::CmdAjout_Click()
{
    try {
        if (!OptionFiche->Value())
            OptionFiche->SetValue(true);
        const int32_t reference = CodesArticles::AjouterArticle(cn);
        AppliquerModeRecherche();
        // The new article by its number: under a sort the last row is another article.
        if (rs[Grille].State() == ado::adStateOpen && rs[Grille].RecordCount() > 0)
            rs[Grille].Find("[Reference]=" + std::to_string(reference), 0, ado::adSearchForward,
                            ado::adBookmarkFirst);
        SuivreGrille();
        if (!OptionFiche->Value())
            OptionFiche->SetValue(true);
        Text2(1).setFocus();
    } catch (const vb::Error& erreur) {
        forms::MsgBox(QString::fromStdString(erreur.Description()), forms::vbOKOnly);
    }
}

// The pool of article codes.

// Opens the panel that creates article codes.
void FrmStock::Command2_Click()
{
    Frame1->show();
    Frame1->raise();
}

// Closes the panel that creates article codes.
void FrmStock::Command4_Click()
{
    Frame1->hide();
}

// Creates the article codes up to the typed highest code.
void FrmStock::Command3_Click()
{
    try {
        int32_t plusHaut = 0;
        if (!CodesArticles::LireCodeMaximum(Text3->text().toStdString(), plusHaut))
            return;
        forms::SetMousePointer(forms::MousePointer::Hourglass);
        CodesArticles::CreerCodes(cn, plusHaut);
        if (rs[CodesArticle].State() == ado::adStateOpen)
            rs[CodesArticle].Requery();
        Text3->setText("99");
    } catch (const vb::Error& erreur) {
        forms::SetMousePointer(forms::MousePointer::Default);
        FnTundrel::AfficherErreur("", erreur);
    }
    forms::SetMousePointer(forms::MousePointer::Default);
    Frame1->hide();
}

// Lets the article code be chosen from the list of codes.
void FrmStock::Check1_Click()
{
    DBCombo3->setEnabled(true);
    try {
        ListerCodes("CodeArticle");
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

// Gives the card's article the chosen article code, or swaps codes when Check1 is ticked.
void FrmStock::DBCombo3_Click(int area)
{
    if (area != forms::DataCombo::dbcAreaList || !CarteSurUneLigne())
        return;
    const vb::Variant choisi = DBCombo3->BoundText();
    if (choisi.IsNull())
        return;
    try {
        const int32_t code = vb::CLng(choisi);
        switch (Check1->Value() == 0 ? CodesArticles::AttribuerCode(cn, rs[Fiche], code)
                                     : CodesArticles::EchangerCode(cn, rs[Fiche], code)) {
        case CodesArticles::Attribution::Attribuee:
            ListerCodes("CodeArticle where (Reference Is Null)");
            break;
        case CodesArticles::Attribution::Echangee:
            ListerCodes("CodeArticle");
            break;
        case CodesArticles::Attribution::Refusee:
            break;
        }
    } catch (const vb::Error& erreur) {
        vb::ResumeNext span;
        span([&] { rs[Fiche].CancelUpdate(); });
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
    DBCombo3->setEnabled(false);
    vb::ResumeNext span;
    span([&] {
        const vb::Variant code = rs[Fiche]["CodeArticle"].Value();
        DBCombo3->ReFill();
        DBCombo3->SetText(code.IsNull() ? QString() : QString::fromStdString(vb::CStr(code)));
    });
}

// Bar code, combos.

void FrmStock::CmdCodeBar_Click()
{
    std::string texte =
        forms::InputBox("Veuiilez scanner le Code EAN !", "Code à Bar").toStdString();
    if (!texte.empty() && texte.front() == '@')
        texte.erase(0, 1);
    if (texte.empty() || !CarteSurUneLigne())
        return;
    try {
        rs[Fiche]["CodeBar"] = texte;
        rs[Fiche].Update();
        Label2(LabelCodeBar).SetCaption(QString::fromStdString(texte));
    } catch (const vb::Error& erreur) {
        vb::ResumeNext span;
        span([&] { rs[Fiche].CancelUpdate(); });
        if (erreur.Number() == vb::ErrDatabaseRefused) {
            forms::MsgBox("Code à bar déjà utilisé !", forms::vbCritical + forms::vbOKOnly,
                          "Erreur");
            TextCherche->clear();
        }
    }
}

// Another family: clears the size and lists the family's sizes.
void FrmStock::DBCombo1_Click(int area)
{
    if (area != forms::DataCombo::dbcAreaList || !CarteSurUneLigne())
        return;
    try {
        rs[Fiche]["Taille"] = vb::Variant::Null();
        rs[Fiche].Update();
        const vb::Variant famille = rs[Fiche]["Famille"].Value();
        if (rs[Tailles].State() == ado::adStateOpen && !famille.IsNull()) {
            cmd[6].SetCommandText("Tailles where NoFamille=" + vb::CStr(famille) +
                                  " order by Ordre");
            rs[Tailles].Requery();
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

// Saves the chosen supplier on the card's article.
void FrmStock::DBCombo2_Click(int area)
{
    if (area != forms::DataCombo::dbcAreaList || !CarteSurUneLigne())
        return;
    try {
        rs[Fiche].Update();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

// Keys and prices of the card's boxes.

// Return leaves the price box; other keys are filtered for a price.
void FrmStock::Text2_KeyPress(int index, int& keyAscii)
{
    if (keyAscii == forms::vbKeyReturn) {
        OptionFiche->setFocus();
        keyAscii = 0;
        return;
    }
    keyAscii = PrixArticles::FiltreTouche(index, keyAscii, Global::SeparateurDecimal);
}

int32_t FrmStock::UnitesParPaquet() const
{
    return PrixArticles::ValeurEntiere(Text2(4).Text().toStdString());
}

// Leaving a box of the card works out the prices, packets and stock alert it changes.
void FrmStock::Text2_LostFocus(int index)
{
    const std::string texte = Text2(index).Text().toStdString();
    if (texte.empty() || !CarteSurUneLigne())
        return;
    auto afficher = [this](int boite, const char* champ) {
        Text2(boite).SetText(forms::FieldText(rs[Fiche][champ].Value(), FormatMonnaie));
    };
    vb::ResumeNext span;
    switch (index) {
    case 4:
        span([&] {
            const vb::Currency paquet = vb::CCur(rs[Fiche]["PrixAchatGlobal"].Value());
            const int32_t unites = PrixArticles::ValeurEntiere(texte);
            if (unites == 0)
                vb::Raise(vb::ErrDivisionByZero);
            // Left unrounded on purpose, unlike a typed pack price (box 9), which rounds it.
            rs[Fiche]["PrixAchatUnit"] = paquet / vb::CCur(unites);
            afficher(7, "PrixAchatUnit");
        });
        span([&] { AfficherPaquets(); });
        span([&] { AfficherAlerteStock(); });
        break;
    case 5:
        span([&] { AfficherPaquets(); });
        span([&] { AfficherAlerteStock(); });
        break;
    case 7:
        span([&] {
            const vb::Currency unitaire = PrixArticles::PrixSaisi(texte);
            rs[Fiche]["PrixAchatUnit"] = unitaire;
            afficher(7, "PrixAchatUnit");
            rs[Fiche]["PrixAchatGlobal"] = unitaire * vb::CCur(UnitesParPaquet());
            afficher(9, "PrixAchatGlobal");
        });
        break;
    case 9:
        span([&] {
            const vb::Currency paquet = PrixArticles::PrixSaisi(texte);
            rs[Fiche]["PrixAchatGlobal"] = paquet;
            afficher(9, "PrixAchatGlobal");
            rs[Fiche]["PrixAchatUnit"] = PrixArticles::PrixUnitaire(paquet, UnitesParPaquet());
            afficher(7, "PrixAchatUnit");
        });
        break;
    default:
        break;
    }
}

void FrmStock::AfficherPaquets()
{
    const int32_t seuil = PrixArticles::ValeurEntiere(Text2(5).Text().toStdString());
    Label2(LabelPaquets)
        .SetCaption(QString::fromStdString(PrixArticles::TextePaquets(seuil, UnitesParPaquet())));
}

// Picker mode.

void FrmStock::MontrerPourChoix(forms::Form& proprietaire, ChoixArticle::Fiche fiche)
{
    for (QWidget* bouton : std::initializer_list<QWidget*>{Command1, CmdPeriode, CmdAjout,
                                                           CmdScanner, CmdChoixImage, CmdCatalogue})
        bouton->hide();
    if (fiche == ChoixArticle::Fiche::Cachee)
        FrameFicheProduit->hide();
    CmdSelectioner->show();
    Show(forms::Modal, &proprietaire);
}

void FrmStock::CmdSelectioner_Click()
{
    // The pick is the grid's row, never the card's.
    if (rs[Grille].State() != ado::adStateOpen || rs[Grille].Eof() || rs[Grille].Bof())
        return;
    try {
        if (Global::ConfigMachineOuverte) {
            const vb::Variant code = rs[Grille]["CodeArticle"].Value();
            if (code.IsNull()) {
                forms::MsgBox("Pas de code article attribué.\r\nOpération annulée !",
                              forms::vbExclamation + forms::vbOKOnly);
                return;
            }
            ChoixArticleMachine* machine = ChoixArticleMachine::Fenetre();
            if (!machine)
                return;
            machine->CodeArticleChoisi = vb::CLng(code);
            machine->ReferenceChoisie = vb::CLng(rs[Grille]["Reference"].Value());
            machine->DesignationChoisie =
                FonctionUtilitaires::ConvertNullStr(rs[Grille]["Designation"].Value());
            Hide();
        } else if (Global::FenQuotaOuverte) {
            if (ChoixArticleQuota* quota = ChoixArticleQuota::Fenetre())
                quota->ReferenceZAD = vb::CLng(rs[Grille]["Reference"].Value());
            Hide();
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdSelectioner_Click", erreur);
    }
}
