#pragma once
// The counter: the store keeper finds one employee (badge, surname or the spin button) and one
// article (number or supplier reference), then records the issue of one unit as a movement and
// takes it off stock. The window stays loaded once opened: closing only hides it.

#include "platform/ado/Command.h"
#include "platform/ado/Connection.h"
#include "platform/ado/Recordset.h"
#include "platform/forms/ControlArray.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Form.h"
#include "platform/forms/SpinButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cstdint>
#include <string>
#include <vector>

class FenComptoir : public forms::Form
{
    Q_OBJECT

public:
    // The flags' values.
    static constexpr int16_t Vrai = -1;
    static constexpr int16_t Faux = 0;

    FenComptoir();

    void Form_Load() override;
    void Form_Activate() override;
    void Form_Unload(int& cancel) override;
    void Form_KeyUp(int& keyCode, int shift) override;

    // Lookups.
    void TextUtilisateur_Change();
    void TextNom_Change();
    void SpinButton1_SpinUp();
    void SpinButton1_SpinDown();
    void TextReference_Change();
    void TextRefFournisseur_Change();
    void Combo1_Click();

    // Issue recording.
    void CmdSave_Click();
    void CmdClose_Click();
    void EffectuerRemiseArticle();
    // True once the header, the line and the stock decrease are committed.
    bool EnregistrerVente();
    void AfficherMessage(const QString& message);
    // Whether the employee has used up what the profile allows of the article within its
    // rolling window: 1 used up, 2 not yet, 3 no quota line for the article, 0 after an error.
    int16_t VerifierQuota(int32_t RefArticle, int32_t NoQota, const std::string& Utilisateur);

    int16_t SalarieTrouve = Faux;
    int16_t ArticleTrouve = Faux;

    QLineEdit* TextUtilisateur;
    QLineEdit* TextNom;
    QLineEdit* TextReference;
    QLineEdit* TextRefFournisseur;
    forms::ComboBox* Combo1;
    forms::ControlArray<forms::Label> Label1{"Label1"};
    forms::ControlArray<forms::Label> Label2{"Label2"};
    QPlainTextEdit* TextBox1;
    QPlainTextEdit* TextBox2;
    forms::SpinButton* SpinButton1;
    QLabel* Image1;
    QLabel* Picture1;
    forms::Label* LabelMessage;
    forms::CommandButton* CmdSave;
    forms::CommandButton* CmdClose;

private:
    void ChargerImage();
    // Fills the list of supplier references from the articles as they are now.
    void RemplirCombo1();
    // Shows the current employee's details (not the candidate surname under the surname box),
    // each label emptied where its field is Null.
    void AfficherSalarie();
    void EffacerSalarie();
    void AfficherArticle();
    void EffacerArticle();
    // One step through the employees in surname order, back (SpinUp) or on.
    void Pas(bool precedent);
    // The lookup by article number or by supplier reference: the article rows of the selection,
    // read again so that the stock shown is current, searched for the criterion; found when the
    // row's field equals the text. Without a criterion nothing is read.
    void ChercherArticle(const char* contexte, const std::string& selection,
                         const std::string& critere, const char* champ, const QString& texte);
    // After the employees and articles were read again, the same employee and article, found by
    // badge and number; a flag falls when its row is gone.
    void RetrouverSelection(const std::string& badge, const vb::Variant& reference);

    ado::Connection cn;
    ado::Command cmdSalarie;
    ado::Command cmdArticle;
    ado::Recordset rsSalarie;
    ado::Recordset rsArticle;
    // The whole supplier reference of each entry of Combo1, which shows it cut to 20 characters.
    std::vector<std::string> refsFournisseur;
};
