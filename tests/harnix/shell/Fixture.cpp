#include "Fixture.h"

#include "harnix/commun/Global.h"
#include "harnix/database/Databases.h"
#include "platform/ado/Recordset.h"
#include "platform/dmo/Dmo.h"

#include <QFile>

#include <gtest/gtest.h>

namespace shelltest {

Programme::Programme(Base base)
{
    if (base == AvecZad)
        database::CreateZad(Fichier("zad.MDB"), true);
    Global::SetProgramFolder(Chemin());
}

Programme::~Programme()
{
    Global::SetProgramFolder({});
}

void Programme::Parametres(const QByteArray& ini)
{
    dossier.Write("automat.ini", ini);
    Global::LireParametres();
}

void Programme::CopierAsset(const QString& source, const QString& nom) const
{
    QFile::remove(dossier.FilePath(nom));
    dossier.Write(nom);
    QFile::remove(dossier.FilePath(nom));
    ASSERT_TRUE(QFile::copy(QString(HARNIX_ASSETS_DIR) + "/" + source, dossier.FilePath(nom)));
}

ado::Connection Programme::Ouvrir() const
{
    ado::Connection cn;
    cn.Open(database::ConnectionString(Fichier("zad.MDB"), database::ZadPassword()));
    return cn;
}

vb::Variant Programme::Societe(const std::string& champ) const
{
    ado::Connection cn = Ouvrir();
    ado::Recordset rs;
    rs.Open("InfoSociete", cn);
    vb::Variant valeur = rs.Eof() ? vb::Variant::Null() : rs[champ].Value();
    rs.Close();
    cn.Close();
    return valeur;
}

void Programme::Executer(const std::string& sql) const
{
    ado::Connection cn = Ouvrir();
    cn.Execute(sql);
    cn.Close();
}

std::string Programme::Procedures() const
{
    dmo::SQLServer serveur(Chemin());
    serveur.Connect("localhost", "qz", std::string(database::ZadPassword()));
    dmo::StoredProcedures procedures = serveur.Databases("ZAD").StoredProcedures();
    std::string lignes;
    for (long i = 1; i <= procedures.Count(); ++i)
        lignes += procedures.Item(i).Name + "=" + procedures.Item(i).Text + "\n";
    return lignes;
}

void Programme::AjouterProcedure(const std::string& nom, const std::string& texte) const
{
    dmo::SQLServer serveur(Chemin());
    serveur.Connect("localhost", "qz", std::string(database::ZadPassword()));
    serveur.Databases("ZAD").StoredProcedures().Add({nom, texte});
}

} // namespace shelltest
