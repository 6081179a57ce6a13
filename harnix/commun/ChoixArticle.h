#pragma once
// The article window as a picker, as the windows that take a picked article open it: the
// article window derives from this class, and the program installs it (Acces.h). The pick
// itself is handed back through the opener's own class (ChoixArticleMachine, ChoixArticleQuota).

#include "harnix/commun/Acces.h"
#include "platform/forms/Form.h"

class ChoixArticle : public Acces<ChoixArticle>
{
public:
    // Whether the picker keeps the article card or shows the grid only.
    enum class Fiche { Montree, Cachee };

    // Puts the window in its picker mode (the buttons a pick has no use for hidden, the select
    // button shown) and shows it modally with the opener as owner.
    virtual void MontrerPourChoix(forms::Form& proprietaire, Fiche fiche) = 0;
    // Hides the window.
    virtual void Cacher() = 0;
    // Back to normal browsing, for the window's next showing.
    virtual void DBGridStockVisible() = 0;
};
