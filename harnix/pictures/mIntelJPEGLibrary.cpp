#include "harnix/pictures/mIntelJPEGLibrary.h"

#include "harnix/pictures/cDIBSection.h"
#include "platform/vb/Error.h"
#include "platform/win/FileSearch.h"

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace mIntelJPEGLibrary {

namespace {

// The code of a failure to create, write, close or rename the file: the library's own code for
// a failed write.
constexpr int ErreurFichier = -JERR_FILE_WRITE;

// The library's fatal errors come back here instead of ending the program.
struct Erreurs
{
    jpeg_error_mgr pub;
    std::jmp_buf saut;
};

[[noreturn]] void Revenir(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<Erreurs*>(info->err)->saut, 1);
}

void Taire(j_common_ptr) {}

// What the compression gave: 0 or a negative code, and whether it failed while starting.
struct Resultat
{
    int code = 0;
    bool initialisation = false;
};

// Compresses the picture into the file, its rows fed top row first. No object with a destructor
// lives in this frame, as the library's errors jump back into it.
Resultat Compresser(const cDIBSection& image, std::FILE* fichier, int32_t qualite)
{
    jpeg_compress_struct info{};
    Erreurs erreurs;
    info.err = jpeg_std_error(&erreurs.pub);
    erreurs.pub.error_exit = Revenir;
    erreurs.pub.output_message = Taire;
    volatile bool cree = false;
    if (setjmp(erreurs.saut) != 0) {
        const Resultat echec{-erreurs.pub.msg_code, !cree};
        jpeg_destroy_compress(&info);
        return echec;
    }
    jpeg_create_compress(&info);
    cree = true;
    jpeg_stdio_dest(&info, fichier);
    info.image_width = JDIMENSION(image.Width());
    info.image_height = JDIMENSION(image.Height());
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, int(qualite), TRUE);
    jpeg_start_compress(&info, TRUE);
    const uint8_t* bas = image.DIBSectionBitsPtr();
    const int32_t pas = image.BytesPerScanLine();
    constexpr int32_t Lot = 16;
    JSAMPROW lignes[Lot];
    while (info.next_scanline < info.image_height) {
        int32_t n = 0;
        for (; n < Lot && info.next_scanline + JDIMENSION(n) < info.image_height; ++n) {
            const int32_t y = int32_t(info.next_scanline) + n;
            lignes[n] = const_cast<JSAMPROW>(bas + int64_t(image.Height() - 1 - y) * pas);
        }
        jpeg_write_scanlines(&info, lignes, JDIMENSION(n));
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return {};
}

[[noreturn]] void Echouer(const std::string& description)
{
    throw vb::Error(ErrJpeg, description,
                    std::string(program_invocation_short_name) + ".mIntelJPEGLibrary");
}

mode_t MasqueCreation()
{
    const mode_t masque = umask(0);
    umask(masque);
    return masque;
}

} // namespace

bool SaveDibToJpeg(const cDIBSection& picture, const std::string& path, int32_t quality)
{
    const std::string chemin =
        win::ResolvePathIgnoringCase(path).value_or(win::NormalizePath(path));
    struct stat ancien
    {
    };
    const bool remplace = ::stat(chemin.c_str(), &ancien) == 0;
    if (remplace && (ancien.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw vb::Error(vb::ErrPathFileAccess, "Path/File access error");

    const std::string::size_type barre = chemin.rfind('/');
    const std::string dossier =
        barre == std::string::npos ? std::string() : chemin.substr(0, barre + 1);
    const std::string nom = barre == std::string::npos ? chemin : chemin.substr(barre + 1);
    std::string temporaire = dossier + "." + nom + ".XXXXXX";
    const int fd = mkstemp(temporaire.data());
    if (fd < 0)
        Echouer("Failed to save to JPG " + std::to_string(ErreurFichier));
    fchmod(fd, remplace ? (ancien.st_mode & 07777) : (0666 & ~MasqueCreation()));
    std::FILE* fichier = fdopen(fd, "wb");
    if (fichier == nullptr) {
        ::close(fd);
        ::unlink(temporaire.c_str());
        Echouer("Failed to save to JPG " + std::to_string(ErreurFichier));
    }
    Resultat resultat = Compresser(picture, fichier, quality);
    const bool ecrit = std::ferror(fichier) == 0;
    if (std::fclose(fichier) != 0 || !ecrit) {
        if (resultat.code == 0)
            resultat.code = ErreurFichier;
    }
    if (resultat.code == 0 && remplace) {
        const timespec temps[2] = {ancien.st_atim, ancien.st_mtim};
        utimensat(AT_FDCWD, temporaire.c_str(), temps, 0);
    }
    if (resultat.code == 0 && std::rename(temporaire.c_str(), chemin.c_str()) != 0)
        resultat.code = ErreurFichier;
    if (resultat.code != 0) {
        ::unlink(temporaire.c_str());
        Echouer((resultat.initialisation ? "Failed to initialise the IJL library: "
                                         : "Failed to save to JPG ") +
                std::to_string(resultat.code));
    }
    return true;
}

} // namespace mIntelJPEGLibrary
