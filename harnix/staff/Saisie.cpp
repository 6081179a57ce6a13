#include "harnix/staff/Saisie.h"

#include "harnix/commun/Global.h"
#include "platform/forms/Controls.h"
#include "platform/vb/Convert.h"

#include <QLineEdit>

namespace Saisie {

namespace {

class LongueurMax : public QValidator
{
public:
    LongueurMax(int caracteres, QObject* parent) : QValidator(parent), caracteres_(caracteres) {}

    State validate(QString& texte, int&) const override
    {
        return texte.size() <= caracteres_ ? Acceptable : Invalid;
    }

private:
    int caracteres_;
};

} // namespace

int TypeLecteurBadge()
{
    return int(vb::Val(Global::TypeLecteur));
}

void LimiterSaisie(QLineEdit& boite, int caracteres)
{
    boite.setValidator(new LongueurMax(caracteres, &boite));
}

void ChoisirTexte(forms::ComboBox& liste, const QString& texte)
{
    const int trouve = liste.findText(texte, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    if (trouve >= 0 && !texte.isEmpty()) {
        liste.SetListIndex(trouve);
        return;
    }
    liste.SetListIndex(-1);
    liste.SetText(texte);
}

void SuivreSaisie(forms::ComboBox& liste)
{
    if (!liste.isEditable())
        return;
    QObject::connect(liste.lineEdit(), &QLineEdit::textEdited, &liste, [&liste](const QString& t) {
        const int trouve =
            t.isEmpty() ? -1 : liste.findText(t, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        if (trouve == liste.currentIndex())
            return;
        const int curseur = liste.lineEdit()->cursorPosition();
        liste.setCurrentIndex(trouve);
        liste.lineEdit()->setText(t);
        liste.lineEdit()->setCursorPosition(curseur);
    });
}

} // namespace Saisie
