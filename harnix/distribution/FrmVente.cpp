#include "harnix/distribution/FrmVente.h"

#include "harnix/commun/FenetrePrincipale.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "platform/ado/Text.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

#include <QEvent>

#include <cmath>

namespace {

// Thousands grouped with a no-break space, two decimals after a comma, then the euro sign.
const QString FormatMonnaie = QString::fromUtf8("#\u00A0##0,00 \"€\"");
// The movement number of the lines, as the window always showed it.
const QString FormatNumero = QString::fromUtf8(" #\u00A0##0,00");

// A date criterion of Find, in the dialect's #month/day/year hours:minutes:seconds# form.
std::string Litteral(const vb::Date& d)
{
    return "#" + std::to_string(vb::Month(d)) + "/" + std::to_string(vb::Day(d)) + "/" +
           std::to_string(vb::Year(d)) + " " + std::to_string(vb::Hour(d)) + ":" +
           std::to_string(vb::Minute(d)) + ":" + std::to_string(vb::Second(d)) + "#";
}

} // namespace

FrmVente::FrmVente()
{
    setObjectName("FrmVente");
    SetCaption("Détail de consomation");

    SSOptionDate = new forms::OptionButton("SSOptionDate", "Date", this);
    forms::MoveTwips(*SSOptionDate, 120, 120, 1200, 315);
    SSOptionClient = new forms::OptionButton("SSOptionClient", "Salarié", this);
    forms::MoveTwips(*SSOptionClient, 1380, 120, 1200, 315);
    SSOptionNom = new forms::OptionButton("SSOptionNom", "Nom", this);
    forms::MoveTwips(*SSOptionNom, 2640, 120, 1200, 315);
    auto* label1 = new forms::Label("Label1", "Rechercher:", this);
    forms::MoveTwips(*label1, 4080, 150, 1140, 285);
    TextCherche = new QLineEdit(this);
    TextCherche->setObjectName("TextCherche");
    forms::MoveTwips(*TextCherche, 5280, 105, 3000, 345);
    TextCherche->installEventFilter(this);

    data1 = new forms::DataControl("data1", this);
    data1->SetCaption("vente");
    data1->hide();
    DBGrid1 = new forms::DataGrid("DBGrid1", this);
    DBGrid1->SetCaption("Liste des consomations");
    forms::MoveTwips(*DBGrid1, 120, 600, 10800, 4200);
    DBGrid1->SetDataSource(data1);
    DBGrid1->AddColumn("No", "NumVente", 900);
    DBGrid1->AddColumn("Date", "LaDate", 2100);
    DBGrid1->AddColumn("Salarié", "Utilisateur", 1800);
    DBGrid1->AddColumn("Nom", "Nom", 2700);
    DBGrid1->AddColumn("Ticket", "Ticket", 1200);
    const int montant = DBGrid1->AddColumn("Montant", "Total", 1500);
    DBGrid1->Columns(montant).SetNumberFormat(FormatMonnaie);
    DBGrid1->SetAllowUpdate(false);

    auto* label3 = new forms::Label("Label3", "Ticket:", this);
    forms::MoveTwips(*label3, 120, 4935, 900, 285);
    TextTicket = new forms::BoundText("TextTicket", this);
    forms::MoveTwips(*TextTicket, 1080, 4890, 2400, 345);
    TextTicket->Bind(data1, "Ticket");
    TextTicket->SetLocked(true);

    auto* label2 = new forms::Label("Label2", "Détail", this);
    forms::MoveTwips(*label2, 120, 5400, 1200, 285);
    data2 = new forms::DataControl("data2", this);
    data2->SetCaption("detail");
    data2->hide();
    DBGrid2 = new forms::DataGrid("DBGrid2", this);
    forms::MoveTwips(*DBGrid2, 120, 5700, 10800, 2400);
    DBGrid2->SetDataSource(data2);
    const int numero = DBGrid2->AddColumn("NumVente", "NumVente", 1200);
    DBGrid2->Columns(numero).SetNumberFormat(FormatNumero);
    DBGrid2->AddColumn("Réference", "Reference", 1200);
    DBGrid2->AddColumn("Désignation", "Designation", 3900);
    const int prix = DBGrid2->AddColumn("Prix", "PrixAchatUnit", 1500);
    DBGrid2->Columns(prix).SetNumberFormat(FormatMonnaie);
    DBGrid2->AddColumn("Quantité", "Quantite", 1200);
    DBGrid2->AddColumn("QteDistribuer", "QteDistribuer", 1500);
    DBGrid2->SetAllowUpdate(false);

    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);
    forms::MoveTwips(*CmdClose, 9420, 8250, 1500, 420);

    for (forms::OptionButton* option : {SSOptionDate, SSOptionClient, SSOptionNom})
        connect(option, &forms::OptionButton::Click, this, [this] { AppliquerOptionRecherche(); });
    connect(DBGrid1, &forms::DataGrid::HeadClick, this, [this](int c) { DBGrid1_HeadClick(c); });
    connect(TextCherche, &QLineEdit::textChanged, this, [this] { TextCherche_Change(); });
    forms::OnKeyPress(TextCherche, [this](int& k) { TextCherche_KeyPress(k); });
    connect(data1, &forms::DataControl::MoveComplete, this, [this] { ChargerDetailVente(); });
    connect(data1, &forms::DataControl::RecordsetChanged, this, [this] { ChargerDetailVente(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });

    Move(0, 0, 11280, 9240);
}

void FrmVente::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    cn1.Open(Global::ChaineConnexion);
    cmd1.SetActiveConnection(cn1);
    cmd1.SetCommandText("Ventes Order by NumVente Desc");
    cn2.Open(Global::ChaineConnexion);
    cmd2.SetActiveConnection(cn2);
    rs1.SetCursorLocation(ado::adUseClient);
    rs1.SetCursorType(ado::adOpenDynamic);
    rs1.SetLockType(ado::adLockPessimistic);
    rs1.Open(cmd1);
    data1->SetRecordset(rs1);
}

void FrmVente::Form_Activate()
{
    if (SSOptionDate->Value())
        AppliquerOptionRecherche();
    else
        SSOptionDate->SetValue(true);
    // Read again at each later opening, for the movements recorded since. Right after the load
    // the rows are those just read: the list only goes to its first row, as a new read does.
    if (relire_)
        data1->Refresh();
    else if (rs1.State() == ado::adStateOpen && rs1.RecordCount() > 0)
        rs1.MoveFirst();
    relire_ = true;
    forms::SetMousePointer(forms::MousePointer::Default);
}

void FrmVente::Form_Unload(int& cancel)
{
    (void)cancel;
    if (forms::Form* principale = FenetrePrincipale::Chargee())
        principale->setEnabled(true);
    vb::ResumeNext span;
    span.Run([&] { cmd1.ReleaseConnection(); }, [&] { cmd2.ReleaseConnection(); },
             [&] { cn1.Close(); }, [&] { cn2.Close(); });
}

void FrmVente::CmdClose_Click()
{
    Hide();
}

void FrmVente::AppliquerOptionRecherche()
{
    try {
        TextCherche->setFocus();
        mode = SSOptionDate->Value() ? ModeDate : SSOptionNom->Value() ? ModeNom : ModeSalarie;
        TextCherche->clear();
        if (rs1.State() == ado::adStateOpen)
            rs1.SetSort(mode == ModeDate      ? "Ladate Desc"
                        : mode == ModeSalarie ? "Utilisateur"
                                              : "Nom");
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}

// A column's header chooses the search on that column.
void FrmVente::DBGrid1_HeadClick(int colIndex)
{
    if (colIndex == 1)
        SSOptionDate->SetValue(true);
    else if (colIndex == 2)
        SSOptionClient->SetValue(true);
}

bool FrmVente::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TextCherche && event->type() == QEvent::MouseButtonPress)
        TextCherche_Click();
    return forms::Form::eventFilter(watched, event);
}

void FrmVente::TextCherche_Click()
{
    TextCherche->clear();
}

void FrmVente::TextCherche_KeyPress(int& keyAscii)
{
    if (mode == ModeDate)
        keyAscii = forms::AcceptKey(keyAscii, "0123456789/:");
}

void FrmVente::ChercherDate(const std::string& texte)
{
    const vb::Date saisie = vb::CDate(texte);
    const bool avecHeure = saisie.serial != std::floor(saisie.serial);
    const std::string critere = avecHeure ? "(LaDate)<=" + Litteral(saisie)
                                          : "(LaDate)<" + Litteral(vb::DateAdd("d", 1, saisie));
    rs1.Find(critere, 0, ado::adSearchForward, ado::adBookmarkFirst);
}

void FrmVente::TextCherche_Change()
{
    if (rs1.State() != ado::adStateOpen || rs1.RecordCount() < 1)
        return;
    const std::string texte = TextCherche->text().toStdString();
    try {
        if (mode == ModeDate) {
            if (vb::Len(texte) >= 8)
                ChercherDate(texte);
        } else {
            const std::string champ = mode == ModeSalarie ? "Utilisateur" : "Nom";
            rs1.Find(champ + " like '" + ado::DoubledQuotes(ado::LikeLiteral(vb::UCase(texte))) +
                         "*'",
                     0, ado::adSearchForward);
        }
    } catch (const vb::Error&) {
        // A text that cannot be searched (no date) is emptied, which searches again.
        TextCherche->clear();
    }
    vb::ResumeNext span;
    span([&] {
        if (rs1.Eof() || rs1.Bof())
            rs1.MoveFirst();
    });
}

void FrmVente::ChargerDetailVente()
{
    try {
        if (cn2.State() != ado::adStateOpen || rs1.RecordCount() < 1 || rs1.Eof() || rs1.Bof())
            return;
        const vb::Variant numero = rs1["NumVente"].Value();
        if (numero.IsNull())
            return;
        int32_t n = 0;
        vb::ResumeNext ignore;
        ignore([&] { n = vb::CLng(numero); });
        if (n == 0)
            return;
        // Every line, identical ones included: each is an issue of its own.
        cmd2.SetCommandText(
            "SELECT DetailVente.NumVente, DetailVente.Reference, "
            "DetailVente.Designation, DetailVente.PrixAchatUnit, "
            "DetailVente.Quantite FROM DetailVente INNER JOIN Ventes ON "
            "DetailVente.NumVente = Ventes.NumVente WHERE (DetailVente.NumVente = " +
            std::to_string(n) + ")");
        if (rs2.State() == ado::adStateOpen) {
            data2->Refresh();
        } else {
            rs2.SetClientCursor(ado::adLockOptimistic);
            rs2.Open(cmd2);
            data2->SetRecordset(rs2);
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
}
