#include "harnix/staff/FrmUtilisateur.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/CodeBadge.h"
#include "harnix/magasin/TaillesProfil.h"
#include "harnix/staff/EuroKey.h"
#include "harnix/staff/FenQuota.h"
#include "harnix/staff/Saisie.h"
#include "platform/ado/Text.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

#include <QEvent>
#include <QPalette>

#include <tuple>
#include <utility>

using FonctionUtilitaires::ConvertNullStr;

namespace {

// The employee's text columns and the boxes of Text2 that show them.
constexpr std::pair<const char*, int> ChampsBoites[] = {
    {"NoBadge", 0}, {"Nom", 1}, {"MatriculeSalarie", 3}, {"Prenom", 2}};

constexpr int NbMachines = 14;
// The "Accès Machine" column of the register grid.
constexpr int ColonneAccesMachine = 9;

QString Q(const std::string& texte)
{
    return QString::fromStdString(texte);
}

std::string S(const QString& texte)
{
    return texte.toStdString();
}

void Colorer(QWidget& bouton, const QColor& couleur)
{
    QPalette palette = bouton.palette();
    palette.setColor(QPalette::Button, couleur);
    bouton.setPalette(palette);
    bouton.setAutoFillBackground(true);
}

} // namespace

std::string& FrmUtilisateur::TableId::operator()(int ligne, int colonne)
{
    if (ligne < 0 || ligne >= int(lignes_.size()) || colonne < 0 || colonne > 2)
        vb::Raise(vb::ErrSubscript);
    return lignes_[size_t(ligne)][size_t(colonne)];
}

FrmUtilisateur::FrmUtilisateur()
{
    setObjectName("FrmUtilisateur");
    SetCaption("Gestion des salariés");

    // The boxes and lists on the left, the search and the grid on the right; the grid is wide
    // enough for all its columns.
    auto libelle = [this](const QString& texte, int top) {
        auto* label = new forms::Label("Label" + QString::number(top), texte, this);
        forms::MoveTwips(*label, 240, top + 45, 1620, 285);
    };
    const char* libelles[] = {"No Badge:", "Nom:", "Prénom:", "No Matricule:"};
    for (int i = 0; i <= 4; ++i) {
        auto& boite = Text2.Add(i, new QLineEdit(this));
        const int top = 240 + i * 420;
        forms::MoveTwips(boite, 1920, top, 2280, 345);
        if (i < 4)
            libelle(libelles[i], top);
        forms::OnKeyPress(&boite, [this, i](int& keyAscii) { Text2_KeyPress(i, keyAscii); });
    }
    // The fifth box takes digits and serves nothing else.
    Text2(4).hide();
    forms::DigitsOnly(&Text2(4));

    auto liste = [this, &libelle](const QString& nom, const QString& texte, int top) {
        auto* combo = new forms::ComboBox(nom, forms::ComboBox::DropdownCombo, this);
        forms::MoveTwips(*combo, 1920, top, 2280, 345);
        libelle(texte, top);
        Saisie::SuivreSaisie(*combo);
        return combo;
    };
    Combo5 = liste("Combo5", "Taille chaussures:", 1920);
    Combo4 = liste("Combo4", "Taille mains:", 2340);
    Combo1 = liste("Combo1", "Site:", 2760);
    Combo2 = liste("Combo2", "Service:", 3180);
    Combo3 = liste("Combo3", "Profile:", 3600);

    // Two rows of two, wide enough for "Enregistrer".
    auto bouton = [this](const QString& nom, const QString& texte, int colonne, int ligne) {
        auto* b = new forms::CommandButton(nom, texte, this);
        forms::MoveTwips(*b, 240 + colonne * 2010, 4200 + ligne * 480, 1950, 420);
        return b;
    };
    CmdAdd = bouton("CmdAdd", "Ajouter", 0, 0);
    CmdModif = bouton("CmdModif", "Modifier", 1, 0);
    CmdDelete = bouton("CmdDelete", "Supprimer", 0, 1);
    CmdClose = bouton("CmdClose", "Fermer", 1, 1);
    // Under the four, as wide as two of them for its caption.
    CmdQuota = new forms::CommandButton("CmdQuota", "Créer un profile pour ce salarié: ", this);
    forms::MoveTwips(*CmdQuota, 240, 5160, 3960, 420);

    auto* labelCherche = new forms::Label("LabelCherche", "Rechercher:", this);
    forms::MoveTwips(*labelCherche, 4320, 285, 1140, 285);
    TextCherche = new QLineEdit(this);
    TextCherche->setObjectName("TextCherche");
    forms::MoveTwips(*TextCherche, 5460, 240, 2400, 345);
    TextCherche->installEventFilter(this);
    auto* cadre = new forms::Frame("FrameRecherche", {}, this);
    forms::MoveTwips(*cadre, 8100, 120, 4800, 480);
    SSOptionBadge = new forms::OptionButton("SSOptionBadge", "Par No Badge", cadre);
    forms::MoveTwips(*SSOptionBadge, 120, 120, 1740, 285);
    SSOptionNom = new forms::OptionButton("SSOptionNom", "Par Nom", cadre);
    forms::MoveTwips(*SSOptionNom, 1920, 120, 1200, 285);
    SSOptionMatricule = new forms::OptionButton("SSOptionMatricule", "No Matricule", cadre);
    forms::MoveTwips(*SSOptionMatricule, 3180, 120, 1560, 285);

    DBGrid1 = new forms::DataGrid("DBGrid1", this);
    forms::MoveTwips(*DBGrid1, 4320, 720, 14040, 6600);
    DBGrid1->SetCaption("Salariés");
    data1 = new forms::DataControl("data1", this);
    forms::MoveTwips(*data1, 4320, 7440, 14040, 360);
    data1->SetCaption("Salarié");
    DBGrid1->SetDataSource(data1);
    // Widths in twips: a 13-digit badge, long site and service names; the grid leaves room for
    // its vertical scroll bar.
    const std::tuple<const char*, const char*, int> colonnes[] = {
        {"No Matricule ", "MatriculeSalarie", 1320},
        {"No Badge", "NoBadge", 1620},
        {"Nom", "Nom", 1440},
        {"Prénom", "Prenom", 1260},
        {"Taille Chauss.", "TailleCh", 1380},
        {"Taille Mains", "TailleM", 1200},
        {"", "", 390},
        {"Site", "NomSite", 1800},
        {"Service", "NomService", 1680},
        {"Accès Machine", "MachineAutorise", 1440}};
    for (const auto& [entete, champ, largeur] : colonnes)
        DBGrid1->AddColumn(entete, champ, largeur);
    // The joined columns belong to other tables: employees are edited in the boxes only.
    DBGrid1->SetAllowUpdate(false);
    DBGrid1->Columns(ColonneAccesMachine).SetButton(true);

    // The machines panel lies over the grid while it is open.
    SSPanel2 = new forms::Panel("SSPanel2", {}, this);
    SSPanel2->setAutoFillBackground(true);
    forms::MoveTwips(*SSPanel2, 9000, 1200, 6960, 3120);
    for (int k = 0; k < NbMachines; ++k) {
        auto& boite = CheckBox1.Add(k, new forms::CheckBox({}, "Machine N° ", SSPanel2));
        forms::MoveTwips(boite, 120 + (k / 7) * 3420, 120 + (k % 7) * 330, 3300, 285);
    }
    CmdMachAutoriseSelec =
        new forms::CommandButton("CmdMachAutoriseSelec", "Tout sélectionner", SSPanel2);
    forms::MoveTwips(*CmdMachAutoriseSelec, 120, 2580, 2200, 375);
    CmdMachAuriseOK = new forms::CommandButton("CmdMachAuriseOK", "OK", SSPanel2);
    forms::MoveTwips(*CmdMachAuriseOK, 2460, 2580, 1000, 375);
    SSPanel2->hide();

    // The profile detail under the register grid, its warning on the left.
    data2 = new forms::DataControl("data2", this);
    data2->hide();
    DBGrid2 = new forms::DataGrid("DBGrid2", this);
    forms::MoveTwips(*DBGrid2, 4320, 7920, 14040, 2400);
    DBGrid2->SetCaption("Détail Quota");
    DBGrid2->SetDataSource(data2);
    DBGrid2->SetAllowUpdate(false);
    const std::tuple<const char*, const char*, int> detail[] = {
        {"Réf. Article", "RefArticle", 1200},  {"Désignation", "Designation", 4200},
        {"Code Article", "CodeArticle", 1200}, {"Qté Permise", "QtePermise", 1200},
        {"Périodicité", "Periodicite", 1200},  {"Taille", "Taille", 1200}};
    for (const auto& [entete, champ, largeur] : detail)
        DBGrid2->AddColumn(entete, champ, largeur);
    Label3 = new forms::Label("Label3", "PAS DE TAILLE CORRESPONDANTE", this);
    forms::MoveTwips(*Label3, 240, 7980, 3960, 285);
    QPalette rouge = Label3->palette();
    rouge.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label3->setPalette(rouge);
    Label3->hide();

    connect(data1, &forms::DataControl::MoveComplete, this, [this] { data1_MoveComplete(); });
    connect(data1, &forms::DataControl::RecordsetChanged, this, [this] { data1_MoveComplete(); });
    connect(Combo1, &forms::ComboBox::Click, this, [this] { Combo1_Click(); });
    connect(CmdAdd, &QPushButton::clicked, this, [this] { CmdAdd_Click(); });
    connect(CmdModif, &QPushButton::clicked, this, [this] { CmdModif_Click(); });
    connect(CmdDelete, &QPushButton::clicked, this, [this] { CmdDelete_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
    connect(CmdQuota, &QPushButton::clicked, this, [this] { CmdQuota_Click(); });
    connect(DBGrid1, &forms::DataGrid::HeadClick, this,
            [this](int colonne) { DBGrid1_HeadClick(colonne); });
    for (forms::OptionButton* option : {SSOptionBadge, SSOptionNom, SSOptionMatricule})
        connect(option, &forms::OptionButton::Click, this, [this] { AppliquerTriRecherche(); });
    connect(TextCherche, &QLineEdit::textChanged, this, [this] { TextCherche_Change(); });
    connect(DBGrid1, &forms::DataGrid::ButtonClick, this,
            [this](int colonne) { DBGrid1_ButtonClick(colonne); });
    connect(DBGrid1, &forms::DataGrid::Click, this, [this] { DBGrid1_Click(); });
    connect(CmdMachAutoriseSelec, &QPushButton::clicked, this,
            [this] { CmdMachAutoriseSelec_Click(); });
    connect(CmdMachAuriseOK, &QPushButton::clicked, this, [this] { CmdMachAuriseOK_Click(); });

    CreerBoutonsConso();
    Move(0, 0, 18480, 10920);
}

std::string FrmUtilisateur::EAN13(std::string& code)
{
    return CodeBadge::EAN13(code);
}

std::string FrmUtilisateur::CalculChecksumEAN13(std::string& code)
{
    return CodeBadge::CalculChecksumEAN13(code);
}

void FrmUtilisateur::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    try {
        if (Saisie::TypeLecteurBadge() == 3)
            Saisie::LimiterSaisie(Text2(0), 12);
        cn.Open(Global::ChaineConnexion);
        cn2.Open(Global::ChaineConnexion);
        cmdDetail.SetActiveConnection(cn2);
        cmd.SetActiveConnection(cn);
        cmd.SetCommandText("GrUtilisateur");
        rs.SetClientCursor(ado::adLockOptimistic);
        rs.Open(cmd);
        data1->SetRecordset(rs);
        // The boxes' texts are saved into these columns: none takes more than its column holds.
        for (const auto& [champ, index] : ChampsBoites)
            forms::LimitToField(Text2(index), rs.Fields(champ));
        CouleurModif = CmdModif->palette().color(QPalette::Button);
        RemplirColSite();
        ListesDuChargement = true;
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("FrmUtilisateur Form_Load", erreur);
    }
}

void FrmUtilisateur::Form_Activate()
{
    // The window stays loaded while the program runs: sites, profiles and sizes made or renamed
    // in their own windows meanwhile are offered now. The requery below shows the current
    // employee in the new lists, and its services.
    // Right after the load, the lists and the employees were just read: they are not read again.
    const bool charge = std::exchange(ListesDuChargement, false);
    if (!charge)
        RemplirColSite();
    relire_ = !charge;
    // Choosing the badge search sorts and requeries through its click; chosen already, it is
    // done here.
    if (SSOptionBadge->Value())
        AppliquerTriRecherche();
    else
        SSOptionBadge->SetValue(true);
    relire_ = true;
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FrmUtilisateur::Form_Unload(int& cancel)
{
    (void)cancel;
    vb::ResumeNext span;
    span.Run([&] { cmd.ReleaseConnection(); }, [&] { cn.Close(); },
             [&] { cmdDetail.ReleaseConnection(); }, [&] { cn2.Close(); });
}

ado::Recordset FrmUtilisateur::OuvrirListe(const std::string& texte, ado::Command& commande,
                                           long verrou)
{
    commande.SetActiveConnection(cn);
    commande.SetCommandText(texte);
    ado::Recordset liste;
    liste.SetClientCursor(verrou);
    liste.Open(commande);
    return liste;
}

void FrmUtilisateur::RemplirColSite()
{
    // Each list: its command, the list, its id table, the id field and the shown field (one id
    // column only for the sizes).
    struct Liste
    {
        std::string texte;
        forms::ComboBox* combo;
        TableId* table;
        const char* id;
        const char* nom;
        bool deuxColonnes;
    };
    const std::string tailles = "Tailles where NoFamille=";
    const Liste listes[] = {
        {"Sites", Combo1, &TableSite, "NoSite", "NomSite", true},
        {"ProfileQuota", Combo3, &TableProfile, "NoQuota", "Profile", true},
        {tailles + std::to_string(Global::FamilleGants) + " order by Ordre", Combo4,
         &TableTailleMain, "NoTaille", "Taille", false},
        {tailles + std::to_string(Global::FamilleChaussures) + " order by Ordre", Combo5,
         &TableTailleChaussure, "NoTaille", "Taille", false},
    };
    try {
        for (const Liste& l : listes) {
            ado::Command commande;
            ado::Recordset liste = OuvrirListe(l.texte, commande);
            l.combo->Clear();
            if (liste.RecordCount() > 0) {
                for (int i = 0; !liste.Eof(); ++i, liste.MoveNext()) {
                    (*l.table)(i, 0) = ConvertNullStr(liste[l.id].Value());
                    const std::string nom = ConvertNullStr(liste[l.nom].Value());
                    if (l.deuxColonnes)
                        (*l.table)(i, 1) = nom;
                    l.combo->AddItem(Q(nom));
                }
            }
            liste.Close();
            commande.ReleaseConnection();
        }
    } catch (const vb::Error& erreur) {
        forms::MsgBox(
            Q("RemplirColSite " + std::to_string(erreur.Number()) + " " + erreur.Description()),
            forms::vbOKOnly);
    }
}

void FrmUtilisateur::RemplirColService(int32_t& site)
{
    try {
        ado::Command commande;
        ado::Recordset liste = OuvrirListe("Services where Site=" + std::to_string(site), commande);
        Combo2->Clear();
        if (liste.RecordCount() > 0) {
            for (int i = 0; !liste.Eof(); ++i, liste.MoveNext()) {
                TableService(i, 0) = ConvertNullStr(liste["NoService"].Value());
                TableService(i, 1) = ConvertNullStr(liste["NomService"].Value());
                Combo2->AddItem(Q(TableService(i, 1)));
            }
        }
        liste.Close();
        commande.ReleaseConnection();
    } catch (const vb::Error& erreur) {
        forms::MsgBox(
            Q("RemplirColService " + std::to_string(erreur.Number()) + " " + erreur.Description()),
            forms::vbOKOnly);
    }
}

// Another employee: fills the card's boxes and lists from the row.
void FrmUtilisateur::data1_MoveComplete()
{
    if (tri_)
        return;
    try {
        if (!rs.State() || rs.RecordCount() == 0 || rs.EditMode() == ado::adEditAdd)
            return;
        if (rs.AbsolutePosition() < 0) {
            if (recherche_)
                return;
            rs.SetAbsolutePosition(1);
        }
        for (int i = 0; i <= 3; ++i)
            Text2(i).clear();
        const vb::Variant site = rs["Site"].Value();
        if (!site.IsNull()) {
            int32_t numero = vb::CLng(site);
            RemplirColService(numero);
        } else {
            Combo2->Clear();
        }
        for (forms::ComboBox* combo : {Combo1, Combo2, Combo3, Combo4, Combo5})
            Saisie::ChoisirTexte(*combo, {});

        for (const auto& [champ, index] : ChampsBoites) {
            const vb::Variant valeur = rs[champ].Value();
            if (!valeur.IsNull())
                Text2(index).setText(Q(vb::CStr(valeur)));
        }
        const std::pair<const char*, forms::ComboBox*> listes[] = {{"TailleCh", Combo5},
                                                                   {"TailleM", Combo4},
                                                                   {"NomSite", Combo1},
                                                                   {"NomService", Combo2},
                                                                   {"Profile", Combo3}};
        for (const auto& [champ, combo] : listes) {
            const vb::Variant valeur = rs[champ].Value();
            if (!valeur.IsNull())
                Saisie::ChoisirTexte(*combo, Q(vb::CStr(valeur)));
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("data1_MoveComplete", erreur);
        return;
    }
    AfficherDetailProfil();
}

// Another site chosen: lists its services.
void FrmUtilisateur::Combo1_Click()
{
    const int position = Combo1->ListIndex();
    if (position < 0)
        return;
    try {
        int32_t site = vb::CLng(TableSite(position, 0));
        RemplirColService(site);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("Combo1_Click", erreur);
    }
}

std::string FrmUtilisateur::NumeroSuivant()
{
    rs.SetSort("NoBadge asc");
    long champ = -1;
    const ado::Fields champs = rs.Fields();
    for (long i = 0; i < champs.Count(); ++i) {
        if (vb::UCase(champs.Item(i).Name()) == "NOBADGE")
            champ = i;
    }
    std::vector<vb::Variant> badges;
    for (long position = 1; position <= rs.RecordCount(); ++position)
        badges.push_back(rs.ValueAt(position, champ));
    return CodeBadge::NumeroSuivant(badges, Global::PremierNumeroBadge);
}

void FrmUtilisateur::CmdAdd_Click()
{
    std::string numero;
    const int type = Saisie::TypeLecteurBadge();
    if (type == 2) {
        try {
            numero = EuroKey::LireBadge();
        } catch (const vb::Error& erreur) {
            FnTundrel::AfficherErreur("LireBadge", erreur);
            return;
        }
    }
    try {
        if (type == 3) {
            CodeBadge::Completer12(numero);
            CalculChecksumEAN13(numero);
        } else if (type != 2) {
            numero = rs.RecordCount() > 0 ? NumeroSuivant() : Global::PremierNumeroBadge;
        }
        if (numero == "ERREUR" || numero.empty())
            return;
        if (BadgeEnMaintenance(numero))
            return;
        std::string copie = numero;
        rs.AddNew();
        rs["NoBadge"] = numero;
        rs["TailleChaussure"] = vb::Variant::Null();
        rs["TailleMain"] = vb::Variant::Null();
        rs["NoUtilisateur"] = EAN13(copie);
        rs.Update();
        // The boxes and the grid show the new employee, whose names are typed next; the save
        // put it in its place in the sort order.
        data1_MoveComplete();
        DBGrid1->Refresh();
        Text2(1).setFocus();
        CmdModif->setText("Enregistrer");
        Colorer(*CmdModif, QColor(255, 0, 0));
    } catch (const vb::Error&) {
        vb::ResumeNext span;
        span([&] {
            if (rs.EditMode() != ado::adEditNone)
                rs.CancelUpdate();
        });
        forms::MsgBox("Badge déjà utilisé !", forms::vbOKCancel + forms::vbExclamation, "Erreur");
    }
}

void FrmUtilisateur::CmdModif_Click()
{
    CmdModif->setText("Modifier");
    Colorer(*CmdModif, CouleurModif);
    try {
        std::string badge = S(Text2(0).text());
        if (!badge.empty()) {
            if (Saisie::TypeLecteurBadge() == 3) {
                if (vb::Len(badge) < 13) {
                    CodeBadge::Completer12(badge);
                    Text2(0).setText(Q(badge));
                    std::string code = badge;
                    rs["NoBadge"] = CalculChecksumEAN13(code);
                    code = badge;
                    rs["NoUtilisateur"] = EAN13(code);
                }
            } else {
                rs["NoBadge"] = badge;
            }
            rs.Update();
        }
        const std::pair<const char*, int> boites[] = {
            {"Nom", 1}, {"Prenom", 2}, {"MatriculeSalarie", 3}};
        for (const auto& [champ, index] : boites) {
            if (!Text2(index).text().isEmpty())
                rs[champ] = S(Text2(index).text());
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdModif_Click", erreur);
        vb::ResumeNext span;
        span([&] {
            if (rs.RecordCount() > 0)
                rs.CancelUpdate();
        });
        // The grid shows the stored row again, not the refused values.
        DBGrid1->Refresh();
        return;
    }

    // A list without a choice keeps the stored value, except the service, which is then emptied.
    vb::ResumeNext span;
    const std::tuple<forms::ComboBox*, TableId*, const char*> listes[] = {
        {Combo5, &TableTailleChaussure, "TailleChaussure"},
        {Combo4, &TableTailleMain, "TailleMain"},
        {Combo1, &TableSite, "Site"},
        {Combo3, &TableProfile, "Quota"}};
    for (const auto& [combo, table, champ] : listes) {
        span([&, combo = combo, table = table, champ = champ] {
            const int position = combo->ListIndex();
            if (position >= 0 && !(*table)(position, 0).empty())
                rs[champ] = vb::CLng((*table)(position, 0));
        });
    }
    span([&] {
        const int position = Combo2->ListIndex();
        if (position < 0)
            rs["Service"] = vb::Variant::Null();
        else if (!TableService(position, 0).empty())
            rs["Service"] = vb::CLng(TableService(position, 0));
    });

    try {
        rs.Update();
        const ado::Bookmark signet = rs.GetBookmark();
        rs.Requery();
        rs.SetBookmark(signet);
    } catch (const vb::Error& erreur) {
        // The boxes keep what was typed; the row shows what the database holds.
        FnTundrel::AfficherErreur("CmdModif_Click", erreur);
        vb::ResumeNext annulation;
        annulation([&] { rs.CancelUpdate(); });
        DBGrid1->Refresh();
    }
}

void FrmUtilisateur::CmdDelete_Click()
{
    ado::Command commande;
    ado::Recordset table;
    try {
        const std::string nom = ConvertNullStr(rs["Nom"].Value());
        const std::string prenom = ConvertNullStr(rs["Prenom"].Value());
        if (forms::MsgBox(Q("Confirmer la suppression de: " + nom + " " + prenom + " !"),
                          forms::vbYesNo + forms::vbExclamation, "Confirmation") == forms::vbNo)
            return;
        table = OuvrirListe("Utilisateurs", commande);
        if (table.RecordCount() > 0) {
            const std::string badge = ConvertNullStr(rs["NoBadge"].Value());
            table.Find("[NoBadge]like '" + ado::DoubledQuotes(badge) + "'", 0, ado::adSearchForward,
                       ado::adBookmarkFirst);
            if (!table.Eof() && ConvertNullStr(table["NoBadge"].Value()) == badge)
                table.Delete();
            table.Close();
            commande.ReleaseConnection();
            rs.Requery();
        }
    } catch (const vb::Error& erreur) {
        if (erreur.Number() != vb::ErrDatabaseRefused)
            return;
        forms::MsgBox("Suppression non autorisée !", forms::vbOKCancel + forms::vbExclamation,
                      "Erreur");
        vb::ResumeNext span;
        span([&] { table.CancelUpdate(); });
    }
}

bool FrmUtilisateur::BadgeEnMaintenance(std::string& badge)
{
    ado::Command commande;
    ado::Recordset maintenance = OuvrirListe("BadgeMaintenance", commande, ado::adLockPessimistic);
    bool trouve = false;
    if (maintenance.RecordCount() > 0) {
        maintenance.Find("[NoBadge] like '" + ado::DoubledQuotes(badge) + "'", 0,
                         ado::adSearchForward, ado::adBookmarkFirst);
        trouve = !maintenance.Eof();
    }
    if (trouve)
        forms::MsgBox("Badge déjà utilisé pour la maintenance!",
                      forms::vbOKCancel + forms::vbExclamation, "Erreur");
    maintenance.Close();
    commande.ReleaseConnection();
    return trouve;
}

void FrmUtilisateur::AppliquerTriRecherche()
{
    try {
        TextCherche->setFocus();
        ModeRecherche = SSOptionBadge->Value() ? 1 : SSOptionNom->Value() ? 2 : 3;
        TextCherche->clear();
        // The new order and the requery each move the recordset: the employee is shown once,
        // after both.
        tri_ = true;
        rs.SetSort(ModeRecherche == 1   ? "NoBadge"
                   : ModeRecherche == 2 ? "Nom"
                                        : "MatriculeSalarie");
        if (relire_)
            rs.Requery();
        else if (rs.RecordCount() > 0)
            rs.MoveFirst();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
    tri_ = false;
    data1_MoveComplete();
}

// A column's header chooses the search on that column.
void FrmUtilisateur::DBGrid1_HeadClick(int colonne)
{
    if (colonne == 0)
        SSOptionMatricule->SetValue(true);
    else if (colonne == 1)
        SSOptionBadge->SetValue(true);
    else if (colonne == 2)
        SSOptionNom->SetValue(true);
}

void FrmUtilisateur::TextCherche_Change()
{
    const std::string texte = ado::DoubledQuotes(S(TextCherche->text()));
    try {
        if (!rs.State() || rs.RecordCount() == 0)
            return;
        const ado::Bookmark signet = rs.GetBookmark();
        recherche_ = true;
        if (ModeRecherche == 2)
            rs.Find("[Nom] like '" + vb::UCase(texte) + "*'", 0, ado::adSearchForward,
                    ado::adBookmarkFirst);
        else if (ModeRecherche == 1)
            rs.Find("[NoBadge]like '" + texte + "'", 0, ado::adSearchForward);
        else
            rs.Find("[MatriculeSalarie]like '" + texte + "'", 0, ado::adSearchForward);
        recherche_ = false;
        if (rs.Eof())
            rs.SetBookmark(signet);
    } catch (const vb::Error&) {
        recherche_ = false;
        TextCherche->clear();
    }
}

void FrmUtilisateur::TextCherche_Click()
{
    TextCherche->clear();
}

bool FrmUtilisateur::eventFilter(QObject* objet, QEvent* evenement)
{
    if (objet == TextCherche && evenement->type() == QEvent::MouseButtonPress)
        TextCherche_Click();
    return forms::Form::eventFilter(objet, evenement);
}

// Return or Tab in a card box saves the pending edit.
void FrmUtilisateur::Text2_KeyPress(int index, int& keyAscii)
{
    (void)index;
    if (keyAscii != forms::vbKeyReturn && keyAscii != forms::vbKeyTab)
        return;
    try {
        if (rs.State() && rs.EditMode() != ado::adEditNone)
            rs.Update();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("Text2_KeyPress", erreur);
    }
    if (keyAscii == forms::vbKeyReturn) {
        keyAscii = 0;
        forms::SendTab();
    }
}

void FrmUtilisateur::CmdClose_Click()
{
    Hide();
}

void FrmUtilisateur::DBGrid1_ButtonClick(int colonne)
{
    if (colonne != ColonneAccesMachine)
        return;
    ado::Command commande;
    try {
        // Machine numbers are positions in the machines' own order.
        ado::Recordset machines =
            OuvrirListe("select * from Machines order by NoMachine", commande);
        for (int k = 0; k < NbMachines; ++k)
            CheckBox1(k).hide();
        std::array<bool, 101> autorisee{};
        const long nombre = machines.RecordCount();
        for (int k = 0; !machines.Eof() && k < NbMachines; ++k, machines.MoveNext()) {
            CheckBox1(k).setText(Q("Machine N° " + ConvertNullStr(machines["NoMachine"].Value()) +
                                   ": " + ConvertNullStr(machines["Location"].Value())));
            CheckBox1(k).show();
        }
        machines.Close();
        if (nombre > NbMachines)
            forms::MsgBox("Seules les 14 premières machines peuvent être autorisées.",
                          forms::vbOKOnly + forms::vbExclamation, "Attention");

        const std::string liste = ConvertNullStr(rs["MachineAutorise"].Value());
        if (!liste.empty()) {
            for (const std::string& morceau : vb::Split(liste, ",")) {
                const int16_t numero = vb::CInt(morceau);
                if (numero < 1 || numero > 100)
                    vb::Raise(vb::ErrSubscript);
                autorisee[size_t(numero)] = true;
            }
        }
        for (int k = 0; k < NbMachines; ++k)
            CheckBox1(k).SetValue(autorisee[size_t(k + 1)] ? 1 : 0);
        SSPanel2->show();
        SSPanel2->raise();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(" DBGrid1_ButtonClick", erreur);
    }
    commande.ReleaseConnection();
}

// A click in the grid hides the machines panel.
void FrmUtilisateur::DBGrid1_Click()
{
    SSPanel2->hide();
}

void FrmUtilisateur::CmdMachAutoriseSelec_Click()
{
    for (int k = 0; k < NbMachines; ++k)
        CheckBox1(k).SetValue(CheckBox1(k).isHidden() ? 0 : 1);
    update();
}

void FrmUtilisateur::CmdMachAuriseOK_Click()
{
    try {
        std::string liste;
        for (int k = 0; k < NbMachines; ++k) {
            if (CheckBox1(k).Value() == 1)
                liste += (liste.empty() ? "" : ",") + std::to_string(k + 1);
        }
        // Saved with the employee's row, as the register saves it.
        rs["MachineAutorise"] = liste;
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CmdMachAuriseOK_Click", erreur);
    }
    SSPanel2->hide();
}

void FrmUtilisateur::AfficherDetailProfil()
{
    if (cn2.State() != ado::adStateOpen || !rs.State() || rs.RecordCount() == 0)
        return;
    try {
        const vb::Variant quota = rs["Quota"].Value();
        const std::string condition = quota.IsNull() ? "IS NULL" : "=" + vb::CStr(quota);
        cmdDetail.SetCommandText(RequeteLignesProfil(condition));
        if (rsDetail.State() == ado::adStateOpen) {
            rsDetail.Requery();
        } else {
            rsDetail.SetClientCursor(ado::adLockOptimistic);
            rsDetail.Open(cmdDetail);
            data2->SetRecordset(rsDetail);
        }
        DBGrid2->SetCaption(Q("Détail profil " + ConvertNullStr(rs["Profile"].Value())));

        const ado::Fields champs = rsDetail.Fields();
        long famille = 0, taille = 0, ordre = 0;
        for (long i = 0; i < champs.Count(); ++i) {
            const std::string nom = champs.Item(i).Name();
            famille = nom == "NoFamille" ? i : famille;
            taille = nom == "NoTaille" ? i : taille;
            ordre = nom == "Ordre" ? i : ordre;
        }
        std::vector<TaillesProfil::Ligne> lignes;
        for (long ligne = 1; ligne <= rsDetail.RecordCount(); ++ligne)
            lignes.push_back({rsDetail.ValueAt(ligne, famille), rsDetail.ValueAt(ligne, taille),
                              rsDetail.ValueAt(ligne, ordre)});
        Label3->setVisible(TaillesProfil::SansTailleCorrespondante(
            lignes, rs["TailleChaussure"].Value(), rs["OrdreM"].Value(), Global::FamilleChaussures,
            Global::FamilleGants));
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

void FrmUtilisateur::CmdQuota_Click()
{
    try {
        const std::string nom = ConvertNullStr(rs["NOM"].Value());
        if (forms::MsgBox(Q("Vous allez créer un profile spécifique pour le salarié: " + nom +
                            "\r\nVeuillez confirmer !"),
                          forms::vbYesNo + forms::vbExclamation, "Confirmation") != forms::vbYes)
            return;
        FenQuota& quota = forms::form<FenQuota>();
        quota.DepuisFenUtilisateur = true;
        const ado::Bookmark signet = rs.GetBookmark();
        std::string badge = vb::CStr(rs["NoBadge"].Value());
        quota.AjoutProfileSalarie(badge);
        if (ErreurFenQuota != 1) {
            quota.Show(forms::Modal, this);
            if (NumQuota != 0) {
                rs.SetBookmark(signet);
                rs["Quota"] = NumQuota;
                rs.Update();
                rs.Requery();
                rs.SetBookmark(signet);
            }
            NumQuota = 0;
            return;
        }
        ErreurFenQuota = 0;
        quota.Unload();
        Show();
        forms::MsgBox("Ce profile existe déjà !", forms::vbExclamation + forms::vbOKOnly, "Erreur");
    } catch (const vb::Error& erreur) {
        NumQuota = 0;
        FnTundrel::AfficherErreur("CmdQuota_Click", erreur);
    }
}
