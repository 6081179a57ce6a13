#pragma once
// The article window: the catalogue shown twice, as a grid over StockGlobal (data1) and as an
// editable card over ArticleEnStock (data2), kept on the same article; search keys that also
// sort, a type-ahead search box, bar-code search started by "@", new articles, the pool of
// machine article codes, bar codes, the family, size and supplier combos, the prices, stock
// receipts, and the picker mode in which other windows choose an article.

#include "harnix/commun/ChoixArticle.h"
#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/BoundControls.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Controls.h"
#include "platform/forms/DataCombo.h"
#include "platform/forms/DataControl.h"
#include "platform/forms/DataGrid.h"
#include "platform/forms/Form.h"
#include "platform/forms/Pictures.h"

#include <QLineEdit>

#include <array>
#include <string>

class FrmStock : public forms::Form, public ChoixArticle
{
    Q_OBJECT

public:
    FrmStock();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;
    void Form_KeyPress(int& keyAscii) override;

    // Back to normal browsing: the grid with its search options and buttons, the search box
    // empty, the search key of the selected option.
    void DBGridStockVisible() override;
    // Saves the card's pending edit; errors are skipped. The program calls it before it ends,
    // as ending runs no window's closing steps.
    void EnregistrerFiche();

    // Event procedures.
    void data1_MoveComplete();
    void data2_MoveComplete();
    void OptionTableau_Click();
    void OptionFiche_Click();
    void DBGrid2_HeadClick(int colIndex);
    void DBGrid2_DblClick();
    void DBGrid2_OnAddNew();
    void TextCherche_Change();
    void TextCherche_KeyPress(int& keyAscii);
    void TextCherche_Click();
    void CmdClose_Click();
    void CmdAjout_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Check1_Click();
    void DBCombo3_Click(int area);
    void CmdCodeBar_Click();
    void DBCombo1_Click(int area);
    void DBCombo2_Click(int area);
    void Text2_KeyPress(int index, int& keyAscii);
    void Text2_LostFocus(int index);

    // Stock receipts (FrmStockEntrees.cpp).
    void CmdEntreStock_Click();
    void CmdAnnulStock_Click();
    void CmdOkStock_Click();
    void Text2_Change(int index);

    // Picker mode: hands the grid's article to the window that opened the picker.
    void CmdSelectioner_Click();
    void MontrerPourChoix(forms::Form& proprietaire, ChoixArticle::Fiche fiche) override;
    void Cacher() override { Hide(); }

    // Search modes: the field that the search box looks up and the grid is sorted on.
    static constexpr int ModeReference = 1;
    static constexpr int ModeDesignation = 2;
    static constexpr int ModeCodeArticle = 3;
    static constexpr int ModeRefFournisseur = 4;
    int ModeRecherche = ModeReference;
    bool RechercheCodeBar = false;
    bool FenetreActivee = false;

    forms::DataControl* data1;
    forms::DataControl* data2;
    forms::DataControl* data3;
    forms::DataControl* data4;
    forms::DataControl* data5;
    forms::DataControl* data6;
    forms::DataGrid* DBGrid2;
    forms::Frame* FrameFicheProduit;
    forms::ControlArray<forms::BoundText> Text2{"Text2"};
    forms::ControlArray<forms::Label> Label2{"Label2"};
    forms::Frame* SSFrame1;
    forms::DataCombo* DBCombo1;
    forms::DataCombo* DataCombo3;
    forms::DataCombo* DBCombo2;
    forms::DataCombo* DBCombo3;
    forms::CheckBox* Check1;
    forms::CommandButton* Command2;
    forms::Frame* Frame1;
    QLineEdit* Text3;
    forms::CommandButton* Command3;
    forms::CommandButton* Command4;
    forms::CommandButton* CmdCodeBar;
    forms::Frame* FrameOptData2;
    forms::OptionButton* SSOptionRef;
    forms::OptionButton* SSOptionRefFour;
    forms::OptionButton* SSOptionDesi;
    forms::OptionButton* SSOptionCodArticle;
    QLineEdit* TextCherche;
    forms::Panel* SSPanel1;
    forms::OptionButton* OptionTableau;
    forms::OptionButton* OptionFiche;
    forms::CommandButton* CmdClose;
    forms::CommandButton* CmdSelectioner;
    forms::CommandButton* CmdAjout;

    // The receipt frame of the card.
    forms::CommandButton* CmdEntreStock;
    forms::Frame* FrmEntreStock;
    QLineEdit* Text1;
    forms::Label* Label4;
    forms::CommandButton* CmdOkStock;
    forms::CommandButton* CmdAnnulStock;

    // Label2 elements bound to fields, and the packs label.
    static constexpr int LabelDateCreation = 19;
    static constexpr int LabelDateModif = 20;
    static constexpr int LabelCodeBar = 21;
    static constexpr int LabelQteEnStock = 22;
    static constexpr int LabelQteEnMachine = 23;
    static constexpr int LabelQteGlobal = 24;
    static constexpr int LabelPaquets = 29;

    // The article's picture, chosen from a file or scanned (FrmStockImages.cpp): Image1 on the
    // card at a fixed height, Picture1 unscaled over the window while the mouse rests on Image1.
    void CmdChoixImage_Click();
    void CmdScanner_Click();
    void Image1_MouseMove();
    void Form_MouseMove();
    forms::CommandButton* CmdChoixImage;
    forms::CommandButton* CmdScanner;
    forms::Image* Image1;
    forms::PictureBox* Picture1;

    // Stock alerts (FrmStockAlertes.cpp): the mark of an article whose total quantity is under its
    // threshold, the consumption period, and the thresholds recomputed from that period.
    void CmdPeriode_Click();
    void Command1_Click();
    void CalulDesStockAlerte();
    forms::Label* LabelStockAlerte;
    forms::CommandButton* CmdPeriode;
    forms::CommandButton* Command1;
    // The alert period as day/month/year texts, empty until one is chosen.
    std::string DebutPeriodeAlerte;
    std::string FinPeriodeAlerte;

    // The supplier's catalogue (FrmStockCatalogue.cpp): the button CmdCatalogue offers its
    // preparation, size conversion, import and picture copy in its menu.
    void ImageValmora();
    forms::CommandButton* CmdCatalogue;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Moves over the window's own background, not over its controls.
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // The window's record sets by role (slot 0 is unused, as in the original's numbering):
    // the stock grid, the article card, and the lists behind the family, supplier, article-code
    // and size combos.
    enum Jeu : std::size_t { Grille = 1, Fiche, Familles, Fournisseurs, CodesArticle, Tailles };

    void CreerFiche();
    // The article's picture (FrmStockImages.cpp): its controls, its display, and the naming of
    // a scanned article's picture after its number.
    void CreerZoneImage();
    void ChargerImage();
    void NommerImage(const std::string& reference);
    // Stock alerts (FrmStockAlertes.cpp).
    void CreerZoneAlertes();
    void AfficherAlerteStock();
    // The supplier's catalogue (FrmStockCatalogue.cpp).
    void CreerMenuCatalogue();
    void PreparerArticlesCatalogue();
    void ConvertirTaillesCatalogue();
    void ImporterArticlesCatalogue();
    void OuvrirTable(const std::string& texte, Jeu slot);
    void AppliquerModeRecherche();
    // The search key of the selected option.
    int ModeDesOptions() const;
    // Selects the option, or applies it again when it is selected already.
    void ChoisirOption(forms::OptionButton* option);
    // Puts the card on the grid's article unless it stands there already.
    void SuivreGrille();
    void AfficherPaquets();
    // The code combo shows the card article's code; it takes a pick only while there is none.
    void AfficherCodeArticle();
    void ColorerNombres();
    void ListerCodes(const std::string& commande);
    // The whole value of the units-per-pack box.
    int32_t UnitesParPaquet() const;
    bool CarteSurUneLigne() const;

    // Stock receipts (FrmStockEntrees.cpp).
    void CreerEntreeStock();
    void FermerEntreeStock();
    void RefuserEntreeStock(const char* message);
    // Raises the card's article to the new stock, dates it today and journals the units, in one
    // transaction: on a failure nothing stays written and the card shows the file's row again.
    void EnregistrerEntreeStock(int32_t stock, int32_t unites);
    vb::Variant SocieteDeLArticle();

    ado::Connection cn;
    std::array<ado::Command, Tailles + 1> cmd;
    std::array<ado::Recordset, Tailles + 1> rs;
};
