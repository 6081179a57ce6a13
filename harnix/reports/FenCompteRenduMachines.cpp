// The reports window's side of the machine sheets: the work table ARemplissageMachine and the
// small report copies of the article pictures that the label sheet prints.

#include "harnix/commun/FnTundrel.h"
#include "harnix/commun/Global.h"
#include "harnix/pictures/cDIBSection.h"
#include "harnix/pictures/mIntelJPEGLibrary.h"
#include "harnix/reports/FenCompteRendu.h"
#include "harnix/reports/RotationImage.h"
#include "platform/forms/MousePointer.h"
#include "platform/vb/Convert.h"
#include "platform/vb/Error.h"
#include "platform/vb/Format.h"
#include "platform/vb/ResumeNext.h"
#include "platform/win/FileSearch.h"

#include <QImage>

#include <fstream>
#include <iterator>
#include <optional>
#include <sys/stat.h>
#include <tuple>

namespace {

// Width of the report copies, in pixels.
constexpr int32_t LargeurRPT = 248;
// The language's errors for a missing file, a picture it cannot read and memory run out.
constexpr int32_t ErrFichierIntrouvable = 53;
constexpr int32_t ErrImageIncorrecte = 481;
constexpr int32_t ErrMemoire = 7;

std::vector<uint8_t> LireOctets(const std::string& chemin)
{
    std::ifstream fichier(chemin, std::ios::binary);
    if (!fichier)
        throw vb::Error(ErrFichierIntrouvable, "Fichier introuvable : " + chemin,
                        "CreerEtatRemplissageMach");
    return {std::istreambuf_iterator<char>(fichier), std::istreambuf_iterator<char>()};
}

// The inode change time of a file: set by every write and by the rename that puts a new file
// in place, and never given back as the modification time is.
std::optional<timespec> Changement(const std::string& chemin)
{
    struct stat etat
    {
    };
    if (::stat(chemin.c_str(), &etat) != 0)
        return std::nullopt;
    return etat.st_ctim;
}

// Whether the report copy was made after its picture last changed. A picture saved again (a new
// scan) gets its former modification time back, and so does a copy made again, so only the
// change times tell; on a tie the copy is made again.
bool CopieAJour(const std::string& source, const std::string& copie)
{
    const auto image = Changement(source);
    const auto faite = Changement(copie);
    if (!image || !faite)
        return false;
    return std::tie(faite->tv_sec, faite->tv_nsec) > std::tie(image->tv_sec, image->tv_nsec);
}

} // namespace

bool FenCompteRendu::CreerEtatRemplissageMach(int16_t machine, int16_t second,
                                              const std::string& requete)
{
    bool resultat = false;
    bool enTransaction = false;
    ado::Recordset liste;
    try {
        if (RecordsetEtat.State() == ado::adStateOpen)
            RecordsetEtat.Close();
        forms::SetMousePointer(forms::MousePointer::Hourglass);
        CommandeEtat.SetActiveConnection(cn);
        RecordsetEtat.SetClientCursor(ado::adLockPessimistic);
        // The old rows go only with the new ones all written: a failed build keeps the last sheet.
        cn.BeginTrans();
        enTransaction = true;
        CommandeEtat.SetCommandText("DELETE  FROM ARemplissageMachine");
        CommandeEtat.Execute();
        liste.SetClientCursor(ado::adLockPessimistic);
        liste.Open("EXEC " + requete + " " + std::to_string(machine), cn);
        if (liste.RecordCount() > 0) {
            CommandeEtat.SetCommandText("ARemplissageMachine order by Etage");
            RecordsetEtat.Open(CommandeEtat);
            // The picture folder is read once for the whole sheet.
            win::FolderIndex images(Global::CheminImages + "/");
            const ado::Fields champs = liste.Fields();
            liste.MoveFirst();
            while (!liste.Eof()) {
                RecordsetEtat.AddNew();
                const vb::Variant image = liste["Image"].Value();
                if (!image.IsNull()) {
                    const std::string nom = vb::CStr(image) + ".jpg";
                    CreerImageRPT(images, nom);
                    if (auto copie = images.Find("RPT" + nom))
                        RecordsetEtat["Picture"] = vb::Variant(LireOctets(*copie));
                }
                for (long i = 0; i < champs.Count(); ++i)
                    RecordsetEtat[champs[i].Name()] = champs[i].Value();
                // "05": the code keeps at least two digits.
                const vb::Variant code = liste["CodeArticle"].Value();
                RecordsetEtat["CodeArticle"] =
                    code.IsNull() ? code : vb::Variant(vb::Format(code, "00"));
                if (requete == "RemplissageMachine")
                    RecordsetEtat["Etage"] = liste["Etage"].Value();
                RecordsetEtat.Update();
                liste.MoveNext();
            }
        }
        cn.CommitTrans();
        enTransaction = false;
        resultat = second == 0 && liste.RecordCount() > 0;
        liste.Close();
    } catch (const vb::Error& erreur) {
        if (enTransaction) {
            vb::ResumeNext annulation;
            annulation([&] { cn.RollbackTrans(); });
        }
        forms::SetMousePointer(forms::MousePointer::Default);
        FnTundrel::AfficherErreur("CreerEtatRemplissageMach", erreur);
        return false;
    }
    forms::SetMousePointer(forms::MousePointer::Default);
    return resultat;
}

void FenCompteRendu::CreerImageRPT(win::FolderIndex& images, const std::string& fichier)
{
    try {
        const auto source = images.Find(fichier);
        if (!source)
            return;
        if (const auto copie = images.Find("RPT" + fichier))
            if (CopieAJour(*source, *copie))
                return;
        QImage image(QString::fromStdString(*source));
        if (image.isNull())
            throw vb::Error(ErrImageIncorrecte, "Image incorrecte", "CreerImageRPT");
        Picture1->SetPicture(image);
        cDIBSection dib;
        if (Picture1->height() > Picture1->width()) {
            RotationImage::PivoterImage(*Picture1);
            dib.CreateFromPicture(Picture1->Picture());
        } else {
            dib.CreateFromPicture(QImage(QString::fromStdString(*source)));
        }
        std::unique_ptr<cDIBSection> reduite;
        const cDIBSection* aEcrire = &dib;
        if (dib.Width() != 0) {
            // The height in proportion, halves to even, and never below one pixel.
            const int32_t hauteur = std::max<int32_t>(
                1, vb::CLng(vb::Variant(double(LargeurRPT) / dib.Width() * dib.Height())));
            reduite = dib.Resample(hauteur, LargeurRPT);
            if (!reduite)
                throw vb::Error(ErrMemoire, "Mémoire insuffisante", "CreerImageRPT");
            aEcrire = reduite.get();
        }
        if (mIntelJPEGLibrary::SaveDibToJpeg(*aEcrire, images.Prefix() + "RPT" + fichier, 90))
            images.Add("RPT" + fichier);
    } catch (const vb::Error& erreur) {
        FnTundrel::AfficherErreur("CreerImageRPT", erreur);
    }
}
