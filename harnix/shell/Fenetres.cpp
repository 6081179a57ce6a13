#include "harnix/shell/Fenetres.h"

#include "harnix/catalogue/FrmStock.h"
#include "harnix/reports/FenCompteRendu.h"

namespace Fenetres {

void Enregistrer()
{
    ChoixArticle::DefinirFenetre<FrmStock>();
    Etats::DefinirFenetre<FenCompteRendu>();
}

} // namespace Fenetres
