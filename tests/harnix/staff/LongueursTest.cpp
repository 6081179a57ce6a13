// The text boxes whose text the windows save into a sized column take no more than the column
// holds, bound to it or not.

#include "tests/harnix/staff/StaffFixture.h"

#include "harnix/catalogue/FenFamille.h"
#include "harnix/catalogue/FenTailles.h"
#include "harnix/staff/FenBadgeMaintenance.h"
#include "harnix/staff/FenSites.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "platform/forms/Registry.h"

#include <functional>

namespace {

using forms::testing::Click;
using forms::testing::Script;
using forms::testing::Type;

class Longueurs : public staff::testing::StaffTest
{
};

template <class Fenetre> Fenetre& Ouvrir()
{
    Fenetre& f = forms::form<Fenetre>();
    f.Show();
    return f;
}

TEST_F(Longueurs, ABoxTakesWhatItsColumnHolds)
{
    const struct
    {
        const char* boite;
        std::function<QLineEdit&()> ouvrir;
        int taille;
    } cas[] = {
        {"register's badge", []() -> QLineEdit& { return Ouvrir<FrmUtilisateur>().Text2(0); }, 20},
        {"register's surname", []() -> QLineEdit& { return Ouvrir<FrmUtilisateur>().Text2(1); },
         50},
        {"register's first name", []() -> QLineEdit& { return Ouvrir<FrmUtilisateur>().Text2(2); },
         50},
        {"register's staff number",
         []() -> QLineEdit& { return Ouvrir<FrmUtilisateur>().Text2(3); }, 20},
        {"maintenance badge", []() -> QLineEdit& { return *Ouvrir<FenBadgeMaintenance>().Text2; },
         20},
        {"site name", []() -> QLineEdit& { return *Ouvrir<FenSites>().Text3; }, 50},
        {"site information", []() -> QLineEdit& { return *Ouvrir<FenSites>().Text4; }, 255},
        {"site address", []() -> QLineEdit& { return *Ouvrir<FenSites>().Text5; }, 255},
        {"service name", []() -> QLineEdit& { return *Ouvrir<FenSites>().Text1; }, 50},
        {"service information", []() -> QLineEdit& { return *Ouvrir<FenSites>().Text2; }, 255},
        {"family name", []() -> QLineEdit& { return *Ouvrir<FenFamille>().Text2; }, 50},
        {"family function", []() -> QLineEdit& { return *Ouvrir<FenFamille>().Text1; }, 255},
        {"size", []() -> QLineEdit& { return *Ouvrir<FenTailles>().Text1; }, 20},
    };
    for (const auto& c : cas) {
        SCOPED_TRACE(c.boite);
        QLineEdit& boite = c.ouvrir();
        boite.clear();
        Type(boite, QString(c.taille + 5, '1'));
        EXPECT_EQ(boite.text().size(), c.taille);
    }
}

TEST_F(Longueurs, TheRegisterSavesAStaffNumberTypedTooLongAsFarAsItsColumnHolds)
{
    FrmUtilisateur& f = Ouvrir<FrmUtilisateur>();
    f.Form_Activate();
    f.Text2(3).clear();
    Type(f.Text2(3), "M-0123456789-0123456789");
    Click(*f.CmdModif);
    EXPECT_TRUE(Script().Boxes().empty());
    EXPECT_EQ(Stored("SELECT MatriculeSalarie FROM Utilisateurs WHERE NoBadge = '1000'"),
              "M-0123456789-0123456");
}

} // namespace
