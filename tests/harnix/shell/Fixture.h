#pragma once
// A program folder for the shell's tests: the demonstration zad.MDB made by the database tool's
// functions, settings written by the test, and the program folder of the shell pointed at it.

#include "platform/ado/Connection.h"
#include "platform/forms/testing/ProgramFolder.h"
#include "platform/vb/Variant.h"

#include <QByteArray>
#include <QString>

#include <string>

namespace shelltest {

class Programme
{
public:
    enum Base { AvecZad, SansZad };

    explicit Programme(Base base = AvecZad);
    ~Programme();

    std::string Chemin() const { return dossier.Path().toStdString(); }
    std::string Fichier(const QString& nom) const { return dossier.FilePath(nom).toStdString(); }
    // Writes automat.ini and reads the settings as the start-up does.
    void Parametres(const QByteArray& ini = {});
    // A copy of a file of the demonstration folder's assets ("icon/door02.gif") under a name.
    void CopierAsset(const QString& source, const QString& nom) const;

    // The company row of zad.MDB, read and written by a connection of the test's own.
    vb::Variant Societe(const std::string& champ) const;
    void Executer(const std::string& sql) const;
    // The stored procedures recorded in zad.MDB, as name=text lines.
    std::string Procedures() const;
    void AjouterProcedure(const std::string& nom, const std::string& texte) const;

    forms::testing::ProgramFolder dossier;

private:
    ado::Connection Ouvrir() const;
};

} // namespace shelltest
