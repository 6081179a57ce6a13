// The article window's stock alerts: the mark of an article whose total quantity is under its
// threshold, and the thresholds recomputed from the consumption of a period through the view
// Consomations.

#include "harnix/catalogue/FrmStock.h"
#include "harnix/commun/Calendrier.h"
#include "harnix/commun/Crypte.h"
#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/Global.h"
#include "harnix/magasin/AlertesStock.h"
#include "platform/dmo/Dmo.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Convert.h"
#include "platform/vb/DateTime.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"

#include <QStyle>

#include <filesystem>

namespace {

constexpr const char* LoginServeur = "qz";
constexpr const char* NomVue = "Consomations";

// A period text read as a day. The texts enter a view's statement, which takes no parameters:
// only a real date goes in, written back as day/month/year.
vb::Date JourDePeriode(const std::string& texte)
{
    if (!vb::IsDate(texte))
        vb::Raise(vb::ErrTypeMismatch);
    return vb::CDate(texte).DatePart();
}

} // namespace

void FrmStock::CreerZoneAlertes()
{
    CmdPeriode = new forms::CommandButton("CmdPeriode", {}, this);
    CmdPeriode->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    CmdPeriode->setToolTip("Période");
    Command1 = new forms::CommandButton("Command1", "Calcul des alertes rupture de stock", this);
    LabelStockAlerte = new forms::Label("LabelStockAlerte", "Alerte Stock !", this);
    QPalette palette = LabelStockAlerte->palette();
    palette.setColor(QPalette::WindowText, Qt::red);
    LabelStockAlerte->setPalette(palette);
    QFont police = LabelStockAlerte->font();
    police.setBold(true);
    LabelStockAlerte->setFont(police);
    forms::MoveTwips(*CmdPeriode, 120, 9600, 480, 420);
    forms::MoveTwips(*Command1, 700, 9600, 3600, 420);
    forms::MoveTwips(*LabelStockAlerte, 4500, 9660, 2400, 300);
    LabelStockAlerte->hide();
    connect(CmdPeriode, &QPushButton::clicked, this, [this] { CmdPeriode_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

// The threshold is the card's; a threshold being typed counts already.
void FrmStock::AfficherAlerteStock()
{
    const vb::Variant global = rs[Grille]["QteGlobal"].Value();
    vb::Variant seuil = rs[Fiche]["StockAlert"].Value();
    if (Text2(5).DataChanged())
        seuil = Text2(5).Text().toStdString();
    LabelStockAlerte->setVisible(AlertesStock::EnAlerte(global, seuil));
}

void FrmStock::CmdPeriode_Click()
{
    forms::form<Calendrier>().Show(forms::Modal);
    DebutPeriodeAlerte = vb::CStr(Global::PeriodeDebut);
    FinPeriodeAlerte = vb::CStr(Global::PeriodeFin);
}

// Computes the stock-shortage alerts over the consumption period.
void FrmStock::Command1_Click()
{
    std::string jours = std::to_string(Calendrier::NbJourselectionne);
    if (DebutPeriodeAlerte.empty()) {
        DebutPeriodeAlerte = vb::CStr(vb::Today() - 30);
        FinPeriodeAlerte = vb::CStr(vb::Today());
        jours = "31";
    }
    const std::string question =
        "Pour calculer les alertes de rupture de stock en fonction de la période consommation:"
        "\r\ndu " +
        DebutPeriodeAlerte + " au " + FinPeriodeAlerte + " soit " + jours +
        " jour(s)\r\nchoisissez oui!";
    if (forms::MsgBox(QString::fromStdString(question), forms::vbYesNoCancel + forms::vbQuestion,
                      "Calcul des stock alertes") == forms::vbYes)
        CalulDesStockAlerte();
}

// The view is replaced in the database file of the window's own connection, so that the next
// recomputation finds it there again. The thresholds are written all together or not at all.
void FrmStock::CalulDesStockAlerte()
{
    const std::string p = FnTundrel::LireIniString(Global::CheminIni, Global::SectionBase, "P", "");
    const std::string motPasse = vb::Left(
        Crypte::Decrypter(p.empty() ? Crypte::MotPasseCrypte() : Crypte::MotPasseCourtCrypte()), 5);
    const int16_t avecMotPasse =
        FnTundrel::LireIniInteger(Global::CheminIni, Global::SectionBase, Global::CleLoginQz, 1);
    try {
        const vb::Date debut = JourDePeriode(DebutPeriodeAlerte);
        const vb::Date fin = JourDePeriode(FinPeriodeAlerte);

        const std::filesystem::path fichier(cn.DataSource());
        dmo::SQLServer serveur(fichier.parent_path().string());
        if (avecMotPasse == 1)
            serveur.Connect(Global::NomServeur, LoginServeur, motPasse);
        else
            serveur.Connect(Global::NomServeur, LoginServeur);
        dmo::Views vues = serveur.Databases(fichier.stem().string()).Views();
        const long nombre = vues.Count();
        for (long i = 1; i <= nombre; ++i) {
            if (vues.Item(i) == NomVue) {
                vues.Remove(NomVue);
                break;
            }
        }
        serveur.DisConnect();

        ado::Command vue;
        vue.SetActiveConnection(cn);
        vue.SetCommandText(AlertesStock::TexteVue(debut, fin));
        vue.Execute();
        vue.ReleaseConnection();

        const double jours = (fin - debut) + 1;
        if (jours <= 0)
            return;

        // A pending edit of the card is saved first, as leaving its row would; the card reads
        // the new thresholds back afterwards.
        if (rs[Fiche].EditMode() != ado::adEditNone)
            rs[Fiche].Update();
        AlertesStock::EcrireSeuils(cn, jours);
        rs[Fiche].Requery();
    } catch (const vb::Error& erreur) {
        vb::ResumeNext span;
        span([&] {
            if (rs[Fiche].EditMode() != ado::adEditNone)
                rs[Fiche].CancelUpdate();
        });
        FnTundrel::AfficherErreur(erreur.Description(), erreur);
    }
    // The card goes back to the grid's article.
    vb::ResumeNext span;
    span([&] { SuivreGrille(); });
}
