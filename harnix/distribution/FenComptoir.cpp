// The counter's window and its lookups; the issue recording is in FenComptoirRemise.cpp.
//
// Setting a box to another text runs its lookup at once, nested in the handler that set it;
// setting the text it holds runs nothing. The badge and surname lookups fill each other's box
// and come to rest through this.

#include "harnix/distribution/FenComptoir.h"

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/FonctionUtilitaires.h"
#include "harnix/commun/Global.h"
#include "platform/ado/CurrentRow.h"
#include "platform/ado/Text.h"
#include "platform/forms/Geometry.h"
#include "platform/forms/Keys.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/ResumeNext.h"
#include "platform/vb/Strings.h"
#include "platform/win/FileSearch.h"

#include <QImage>
#include <QPixmap>

#include <algorithm>
#include <charconv>
#include <optional>

namespace {

QString Q(const std::string& texte)
{
    return QString::fromStdString(texte);
}

std::string Texte(const vb::Variant& valeur)
{
    return FonctionUtilitaires::ConvertNullStr(valeur);
}

bool Egal(const std::string& a, const std::string& b)
{
    return ado::CompareText(a, b) == 0;
}

// Typed text inside '...' of a LIKE criterion: matched as typed, quotes included.
std::string Motif(const std::string& texte)
{
    return ado::DoubledQuotes(ado::LikeLiteral(texte));
}

// The article number typed in the box: empty is 0; a text that is no whole number of the
// article numbers' range has no article.
std::optional<int32_t> NumeroArticle(const std::string& texte)
{
    const std::string t = vb::Trim(texte);
    if (t.empty())
        return 0;
    int32_t n = 0;
    const auto [fin, erreur] = std::from_chars(t.data(), t.data() + t.size(), n);
    if (erreur != std::errc() || fin != t.data() + t.size())
        return std::nullopt;
    return n;
}

// The design height of the picture, in twips; its width follows the picture's proportions.
constexpr int HauteurImage = 2850;

} // namespace

FenComptoir::FenComptoir()
{
    setObjectName("FenComptoir");
    SetCaption("Comptoir");

    auto legende = [this](int index, const QString& texte, int gauche, int haut) {
        auto* l = new forms::Label({}, texte, this);
        Label1.Add(index, l);
        forms::MoveTwips(*l, gauche, haut + 45, 1680, 285);
    };
    auto affichage = [this](int index, int gauche, int haut, int largeur) {
        auto* l = new forms::Label({}, {}, this);
        Label2.Add(index, l);
        QFont gras = l->font();
        gras.setBold(true);
        l->setFont(gras);
        forms::MoveTwips(*l, gauche, haut + 45, largeur, 285);
    };
    auto boite = [this](const QString& nom, int gauche, int haut, int largeur) {
        auto* t = new QLineEdit(this);
        t->setObjectName(nom);
        forms::MoveTwips(*t, gauche, haut, largeur, 345);
        return t;
    };

    // The employee, on the left.
    legende(0, "Salarié: ", 120, 240);
    TextUtilisateur = boite("TextUtilisateur", 1860, 240, 2400);
    legende(1, "Nom: ", 120, 660);
    TextNom = boite("TextNom", 1860, 660, 3360);
    affichage(9, 1860, 1020, 3360);
    const std::pair<int, const char*> details[] = {{3, "Prénom: "},      {4, "Profile: "},
                                                   {2, "Site: "},        {5, "Service: "},
                                                   {1, "Taille Main: "}, {6, "Taille chaussure: "}};
    int haut = 1380;
    for (const auto& [index, texte] : details) {
        legende(index + 1, texte, 120, haut);
        affichage(index, 1860, haut, 3360);
        haut += 360;
    }
    SpinButton1 = new forms::SpinButton("SpinButton1", this, Qt::Horizontal);
    forms::MoveTwips(*SpinButton1, 1860, 3600, 960, 360);
    LabelMessage = new forms::Label("LabelMessage", "QUOTA DEPASSE !", this);
    forms::MoveTwips(*LabelMessage, 120, 4200, 5100, 600);
    LabelMessage->setAlignment(Qt::AlignCenter);
    LabelMessage->setAutoFillBackground(true);
    LabelMessage->setStyleSheet("QLabel { color: red; background-color: yellow; "
                                "font-weight: bold; font-size: 14pt; }");
    LabelMessage->hide();

    // The article, on the right.
    legende(8, "Réference: ", 5520, 240);
    TextReference = boite("TextReference", 7260, 240, 1800);
    legende(9, "Réf. Fournisseur: ", 5520, 660);
    TextRefFournisseur = boite("TextRefFournisseur", 7260, 660, 3000);
    Combo1 = new forms::ComboBox("Combo1", forms::ComboBox::DropdownList, this);
    forms::MoveTwips(*Combo1, 5520, 1080, 4740, 345);
    Combo1->setFont(QFont("Liberation Mono", font().pointSize()));
    // Designations and norms read whole up to the window's right edge.
    legende(10, "Désignation: ", 5520, 1500);
    affichage(7, 7260, 1500, 4560);
    legende(11, "Norme: ", 5520, 1860);
    affichage(8, 7260, 1860, 4560);
    auto zone = [this](const QString& nom, int haut) {
        auto* t = new QPlainTextEdit(this);
        t->setObjectName(nom);
        t->setReadOnly(true);
        forms::MoveTwips(*t, 7260, haut, 3000, 600);
        return t;
    };
    legende(12, "Déscriptif: ", 5520, 2220);
    TextBox1 = zone("TextBox1", 2220);
    legende(13, "Fiche technique: ", 5520, 2880);
    TextBox2 = zone("TextBox2", 2880);
    Image1 = new QLabel(this);
    Image1->setObjectName("Image1");
    Image1->setScaledContents(true);
    forms::MoveTwips(*Image1, 7260, 3600, HauteurImage, HauteurImage);
    Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->hide();

    CmdSave = new forms::CommandButton("CmdSave", "Enregister [F12]", this);
    forms::MoveTwips(*CmdSave, 120, 5040, 2400, 480);
    CmdClose = new forms::CommandButton("CmdClose", "Fermer", this);
    forms::MoveTwips(*CmdClose, 2700, 5040, 1500, 480);

    // A badge read, then Enter, leads to the article number.
    for (auto [avant, apres] :
         std::initializer_list<std::pair<QWidget*, QWidget*>>{{TextUtilisateur, TextReference},
                                                              {TextReference, TextRefFournisseur},
                                                              {TextRefFournisseur, Combo1},
                                                              {Combo1, CmdSave},
                                                              {CmdSave, CmdClose},
                                                              {CmdClose, TextNom}})
        setTabOrder(avant, apres);

    forms::DigitsOnly(TextReference);
    auto f12 = [this](int& keyCode, int) {
        if (keyCode == forms::vbKeyF12)
            EffectuerRemiseArticle();
        keyCode = 0;
    };
    forms::OnKeyUp(TextReference, f12);
    forms::OnKeyUp(TextRefFournisseur, f12);
    forms::OnKeyUp(TextUtilisateur, [this](int& keyCode, int) {
        if (keyCode == forms::vbKeyF12)
            EffectuerRemiseArticle();
        else if (keyCode == forms::vbKeyReturn)
            forms::SendTab(TextUtilisateur);
        keyCode = 0;
    });

    connect(TextUtilisateur, &QLineEdit::textChanged, this, [this] { TextUtilisateur_Change(); });
    connect(TextNom, &QLineEdit::textChanged, this, [this] { TextNom_Change(); });
    connect(TextReference, &QLineEdit::textChanged, this, [this] { TextReference_Change(); });
    connect(TextRefFournisseur, &QLineEdit::textChanged, this,
            [this] { TextRefFournisseur_Change(); });
    connect(Combo1, &forms::ComboBox::Click, this, [this] { Combo1_Click(); });
    connect(SpinButton1, &forms::SpinButton::SpinUp, this, [this] { SpinButton1_SpinUp(); });
    connect(SpinButton1, &forms::SpinButton::SpinDown, this, [this] { SpinButton1_SpinDown(); });
    connect(CmdSave, &QPushButton::clicked, this, [this] { CmdSave_Click(); });
    connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });

    Move(0, 0, 12000, 6720);
}

void FenComptoir::Form_Load()
{
    FonctionUtilitaires::CentrerFenetre(*this);
    try {
        cn.Open(Global::ChaineConnexion);
        cmdArticle.SetActiveConnection(cn);
        cmdArticle.SetCommandText("Stock order by Reference");
        rsArticle.SetClientCursor(ado::adLockPessimistic);
        rsArticle.Open(cmdArticle);
        cmdSalarie.SetActiveConnection(cn);
        cmdSalarie.SetCommandText("GrUtilisateur order by Nom");
        rsSalarie.SetClientCursor(ado::adLockPessimistic);
        rsSalarie.Open(cmdSalarie);
        RemplirCombo1();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("FenComptoir Form_Load", erreur);
    }
}

void FenComptoir::Form_Activate()
{
    forms::SetMousePointer(forms::MousePointer::Default);
    // Employees and articles added since the window was loaded can be served at once.
    if (rsSalarie.State() != ado::adStateOpen || rsArticle.State() != ado::adStateOpen)
        return;
    try {
        const std::string badge = SalarieTrouve == Vrai && ado::OnRow(rsSalarie)
                                      ? Texte(rsSalarie["NoBadge"].Value())
                                      : std::string();
        const vb::Variant reference = ArticleTrouve == Vrai && ado::OnRow(rsArticle)
                                          ? rsArticle["Reference"].Value()
                                          : vb::Variant::Null();
        rsSalarie.Requery();
        rsArticle.Requery();
        RemplirCombo1();
        RetrouverSelection(badge, reference);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("FenComptoir Form_Activate", erreur);
    }
}

void FenComptoir::RetrouverSelection(const std::string& badge, const vb::Variant& reference)
{
    if (SalarieTrouve == Vrai) {
        if (rsSalarie.RecordCount() > 0)
            rsSalarie.Find("[NoBadge] like '" + Motif(badge) + "'", 0, ado::adSearchForward,
                           ado::adBookmarkFirst);
        if (!ado::OnRow(rsSalarie)) {
            SalarieTrouve = Faux;
            EffacerSalarie();
        }
    }
    if (ArticleTrouve == Vrai) {
        if (rsArticle.RecordCount() > 0)
            rsArticle.Find("Reference =" + std::to_string(vb::CLng(reference)), 0,
                           ado::adSearchForward, ado::adBookmarkFirst);
        if (!ado::OnRow(rsArticle)) {
            ArticleTrouve = Faux;
            EffacerArticle();
        }
    }
}

void FenComptoir::Form_Unload(int& cancel)
{
    (void)cancel;
    vb::ResumeNext span;
    span.Run([&] { rsSalarie.Close(); }, [&] { rsArticle.Close(); }, [&] { cn.Close(); });
}

void FenComptoir::Form_KeyUp(int& keyCode, int shift)
{
    (void)shift;
    if (keyCode == forms::vbKeyF12)
        EffectuerRemiseArticle();
    keyCode = 0;
}

void FenComptoir::CmdClose_Click()
{
    Hide();
}

void FenComptoir::RemplirCombo1()
{
    Combo1->Clear();
    refsFournisseur.clear();
    ado::Recordset rs;
    rs.SetClientCursor(ado::adLockReadOnly);
    rs.Open("Stock order by RefFournisseur", cn);
    for (; !rs.Eof(); rs.MoveNext()) {
        const vb::Variant ref = rs["RefFournisseur"].Value();
        if (ref.IsNull())
            continue;
        const std::string texte = vb::CStr(ref);
        Combo1->AddItem(Q(vb::Left(texte + vb::Space(20), 20) + Texte(rs["Designation"].Value())));
        refsFournisseur.push_back(texte);
    }
    rs.Close();
}

void FenComptoir::AfficherSalarie()
{
    const std::pair<int, const char*> champs[] = {{3, "Prenom"},  {4, "Profile"},
                                                  {2, "NomSite"}, {5, "NomService"},
                                                  {1, "TailleM"}, {6, "TailleCh"}};
    for (const auto& [index, champ] : champs)
        Label2(index).SetCaption(Q(Texte(rsSalarie[champ].Value())));
}

void FenComptoir::EffacerSalarie()
{
    for (int index : {9, 3, 2, 5, 4, 1, 6})
        Label2(index).SetCaption({});
}

void FenComptoir::TextNom_Change()
{
    SalarieTrouve = Faux;
    LabelMessage->hide();
    try {
        if (rsSalarie.RecordCount() < 1)
            return;
        const std::string texte = TextNom->text().toStdString();
        // A namesake reached by badge or by the spin button stays the one selected.
        const bool dejaLa =
            !texte.empty() && ado::OnRow(rsSalarie) && Egal(Texte(rsSalarie["NOM"].Value()), texte);
        if (!dejaLa)
            rsSalarie.Find("[Nom] like '" + Motif(texte) + "*'", 0, ado::adSearchForward,
                           ado::adBookmarkFirst);
        if (rsSalarie.Eof()) {
            TextUtilisateur->setText({});
            EffacerSalarie();
            return;
        }
        if (Egal(Texte(rsSalarie["NOM"].Value()), texte)) {
            const vb::Variant badge = rsSalarie["NoBadge"].Value();
            if (!badge.IsNull())
                TextUtilisateur->setText(Q(vb::CStr(badge)));
            AfficherSalarie();
            SalarieTrouve = Vrai;
        } else {
            // Only a surname that the text begins shows as the candidate.
            Label2(9).SetCaption(Q(Texte(rsSalarie["NOM"].Value())));
            AfficherSalarie();
        }
    } catch (const vb::Error&) {
        // A surname that cannot be searched finds nobody.
        SalarieTrouve = Faux;
    }
}

void FenComptoir::TextUtilisateur_Change()
{
    SalarieTrouve = Faux;
    LabelMessage->hide();
    try {
        if (rsSalarie.RecordCount() < 1)
            return;
        const std::string texte = TextUtilisateur->text().toStdString();
        rsSalarie.Find("[NoBadge] like '" + Motif(texte) + "'", 0, ado::adSearchForward,
                       ado::adBookmarkFirst);
        if (rsSalarie.Eof()) {
            TextNom->setText({});
            EffacerSalarie();
            return;
        }
        if (Egal(Texte(rsSalarie["NoBadge"].Value()), texte)) {
            const vb::Variant nom = rsSalarie["NOM"].Value();
            if (!nom.IsNull())
                TextNom->setText(Q(vb::CStr(nom)));
            AfficherSalarie();
            SalarieTrouve = Vrai;
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("TextUtilisateur_Change", erreur);
    }
}

// Steps back to the previous employee.
void FenComptoir::SpinButton1_SpinUp()
{
    Pas(true);
}

// Steps on to the next employee.
void FenComptoir::SpinButton1_SpinDown()
{
    Pas(false);
}

void FenComptoir::Pas(bool precedent)
{
    try {
        if (rsSalarie.RecordCount() < 1)
            return;
        // A lookup that found nobody left the list past its end: stepping on starts again at
        // the first employee, stepping back at the last.
        if (!precedent && rsSalarie.Eof())
            rsSalarie.MoveFirst();
        else if (precedent)
            rsSalarie.MovePrevious();
        else
            rsSalarie.MoveNext();
        if (!ado::OnRow(rsSalarie)) {
            TextNom->setText({});
            TextUtilisateur->setText({});
            EffacerSalarie();
            rsSalarie.MoveFirst();
            return;
        }
        const vb::Variant nom = rsSalarie["NOM"].Value();
        if (!nom.IsNull())
            TextNom->setText(Q(vb::CStr(nom)));
        const vb::Variant badge = rsSalarie["NoBadge"].Value();
        if (!badge.IsNull())
            TextUtilisateur->setText(Q(vb::CStr(badge)));
        AfficherSalarie();
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(precedent ? "SpinButton1_SpinUp" : "SpinButton1_SpinDown",
                                  erreur);
    }
}

void FenComptoir::AfficherArticle()
{
    Label2(7).SetCaption(Q(Texte(rsArticle["Designation"].Value())));
    Label2(8).SetCaption(Q(Texte(rsArticle["Norme"].Value())));
    TextBox1->setPlainText(Q(Texte(rsArticle["Descriptif"].Value())));
    TextBox2->setPlainText(Q(Texte(rsArticle["FicheTech"].Value())));
}

void FenComptoir::EffacerArticle()
{
    Label2(7).SetCaption({});
    Label2(8).SetCaption({});
    TextBox2->clear();
    TextBox1->clear();
    Image1->hide();
}

void FenComptoir::ChercherArticle(const char* contexte, const std::string& selection,
                                  const std::string& critere, const char* champ,
                                  const QString& attendu)
{
    ArticleTrouve = Faux;
    LabelMessage->hide();
    try {
        if (critere.empty()) {
            EffacerArticle();
            return;
        }
        // Read again at every keystroke, so that the stock data is current.
        cmdArticle.SetCommandText(selection);
        rsArticle.Requery();
        if (rsArticle.RecordCount() > 0)
            rsArticle.Find(critere, 0, ado::adSearchForward, ado::adBookmarkFirst);
        if (!ado::OnRow(rsArticle)) {
            EffacerArticle();
            return;
        }
        if (Egal(Texte(rsArticle[champ].Value()), attendu.toStdString())) {
            AfficherArticle();
            ArticleTrouve = Vrai;
            ChargerImage();
        }
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur(contexte, erreur);
    }
}

void FenComptoir::TextReference_Change()
{
    const std::optional<int32_t> numero = NumeroArticle(TextReference->text().toStdString());
    const std::string critere = numero ? "Reference =" + std::to_string(*numero) : std::string();
    // Only that article's row is read, through the index of the numbers.
    ChercherArticle("TextReference_Change", "Stock where " + critere + " order by Reference",
                    critere, "Reference", numero ? QString::number(*numero) : QString());
}

void FenComptoir::TextRefFournisseur_Change()
{
    const std::string texte = TextRefFournisseur->text().toStdString();
    ChercherArticle("TextRefFournisseur_Change", "Stock order by RefFournisseur",
                    "[RefFournisseur] like '" + Motif(vb::UCase(texte)) + "'", "RefFournisseur",
                    TextRefFournisseur->text());
}

// Shows the chosen supplier reference in full.
void FenComptoir::Combo1_Click()
{
    const int index = Combo1->ListIndex();
    if (index < 0 || index >= int(refsFournisseur.size()))
        return;
    // The whole reference: the list shows it cut to 20 characters.
    const std::string ref = vb::Trim(refsFournisseur[size_t(index)]);
    if (!ref.empty())
        TextRefFournisseur->setText(Q(ref));
}

void FenComptoir::ChargerImage()
{
    if (rsArticle.State() != ado::adStateOpen)
        return;
    const std::string nom = vb::Trim(Texte(rsArticle["Image"].Value())) + ".jpg";
    if (!FnTundrel::FichierExiste(Global::CheminImages, nom)) {
        Image1->hide();
        return;
    }
    Image1->show();
    const std::optional<std::string> chemin =
        win::FindFileIgnoringCase(FnTundrel::AjouterAntiSlash(Global::CheminImages), nom);
    // Read from the file each time (no pixmap cache): a picture replaced under the same name shows.
    QImage lue;
    if (chemin)
        lue.load(Q(*chemin));
    const QPixmap image = QPixmap::fromImage(lue);
    Picture1->setPixmap(image);
    try {
        const int hauteur = image.height();
        const int largeur = image.width();
        // The empty picture of an unreadable file has no proportions.
        if (hauteur == 0 || largeur == 0) {
            Image1->setPixmap(QPixmap());
            vb::Raise(vb::ErrDivisionByZero);
        }
        const double ratio = double(hauteur) / largeur;
        // A wide picture is made smaller rather than cut by the window's edge.
        const int place = forms::WidthTwips(*this) - forms::LeftTwips(*Image1) - 120;
        const int largeurImage = std::min(int(HauteurImage / ratio + 0.5), place);
        forms::SetHeightTwips(*Image1, std::min(HauteurImage, int(largeurImage * ratio + 0.5)));
        forms::SetWidthTwips(*Image1, largeurImage);
        Image1->setPixmap(image);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("ChargerImage", erreur);
    }
}
