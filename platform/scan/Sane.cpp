#include "platform/scan/Sane.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace scan {

namespace {

// SANE starts once for the run.
bool Demarre()
{
    static const bool demarre = [] {
        SANE_Int version = 0;
        if (sane_init(&version, nullptr) != SANE_STATUS_GOOD)
            return false;
        std::atexit(sane_exit);
        return true;
    }();
    return demarre;
}

std::string Texte(SANE_String_Const texte)
{
    return texte != nullptr ? texte : "";
}

bool Contient(std::string texte, const char* mot)
{
    std::transform(texte.begin(), texte.end(), texte.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return texte.find(mot) != std::string::npos;
}

// One frame of a scan: its parameters and its bytes.
struct Trame
{
    SANE_Parameters parametres{};
    std::vector<uint8_t> octets;
};

// Closes the device however the scan ends.
struct Appareil
{
    SANE_Handle handle = nullptr;
    ~Appareil()
    {
        if (handle != nullptr) {
            sane_cancel(handle);
            sane_close(handle);
        }
    }
};

void ChoisirMode(SANE_Handle handle, Mode mode)
{
    SANE_Int nombre = 0;
    if (sane_control_option(handle, 0, SANE_ACTION_GET_VALUE, &nombre, nullptr) != SANE_STATUS_GOOD)
        return;
    for (SANE_Int i = 1; i < nombre; ++i) {
        const SANE_Option_Descriptor* option = sane_get_option_descriptor(handle, i);
        if (option == nullptr || option->name == nullptr ||
            std::strcmp(option->name, SANE_NAME_SCAN_MODE) != 0 ||
            option->type != SANE_TYPE_STRING ||
            option->constraint_type != SANE_CONSTRAINT_STRING_LIST ||
            !SANE_OPTION_IS_SETTABLE(option->cap))
            continue;
        std::vector<std::string> offerts;
        for (const SANE_String_Const* m = option->constraint.string_list; *m != nullptr; ++m)
            offerts.emplace_back(*m);
        const std::string choisi = ModeName(offerts, mode);
        if (choisi.empty())
            return;
        std::vector<char> valeur(std::max<size_t>(size_t(option->size), choisi.size() + 1), '\0');
        std::copy(choisi.begin(), choisi.end(), valeur.begin());
        sane_control_option(handle, i, SANE_ACTION_SET_VALUE, valeur.data(), nullptr);
        return;
    }
}

SANE_Status LireTrame(SANE_Handle handle, Trame& trame)
{
    SANE_Status etat = sane_start(handle);
    if (etat != SANE_STATUS_GOOD)
        return etat;
    etat = sane_get_parameters(handle, &trame.parametres);
    if (etat != SANE_STATUS_GOOD)
        return etat;
    std::vector<uint8_t> bloc(64 * 1024);
    for (;;) {
        SANE_Int lus = 0;
        etat = sane_read(handle, bloc.data(), SANE_Int(bloc.size()), &lus);
        if (etat == SANE_STATUS_EOF)
            return SANE_STATUS_GOOD;
        if (etat != SANE_STATUS_GOOD)
            return etat;
        trame.octets.insert(trame.octets.end(), bloc.begin(), bloc.begin() + lus);
    }
}

// The value of sample i of a line: 16-bit samples come in the machine's byte order and keep
// their high byte; 1-bit samples are black for 1.
uint8_t Echantillon(const uint8_t* ligne, int depth, int i)
{
    switch (depth) {
    case 16: {
        uint16_t v;
        std::memcpy(&v, ligne + 2 * i, 2);
        return uint8_t(v >> 8);
    }
    case 1:
        return (ligne[i / 8] & (0x80 >> (i % 8))) != 0 ? 0 : 255;
    default:
        return ligne[i];
    }
}

QImage Assembler(const std::vector<Trame>& trames)
{
    const SANE_Parameters& p = trames.front().parametres;
    if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0 ||
        (p.depth != 1 && p.depth != 8 && p.depth != 16))
        return {};
    const int lignes = p.lines > 0 ? p.lines : int(trames.front().octets.size() / p.bytes_per_line);
    for (const Trame& t : trames)
        if (t.parametres.bytes_per_line != p.bytes_per_line ||
            t.octets.size() < size_t(lignes) * size_t(p.bytes_per_line))
            return {};
    const bool gris = trames.size() == 1 && p.format == SANE_FRAME_GRAY;
    QImage image(p.pixels_per_line, lignes,
                 gris ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull() || (p.format == SANE_FRAME_RGB && p.depth == 1))
        return {};
    for (const Trame& t : trames) {
        // The channel a frame fills; -1 for all three of an interleaved frame.
        int canal = 0;
        switch (t.parametres.format) {
        case SANE_FRAME_RGB:
            canal = -1;
            break;
        case SANE_FRAME_GREEN:
            canal = 1;
            break;
        case SANE_FRAME_BLUE:
            canal = 2;
            break;
        default:
            canal = 0;
            break;
        }
        for (int y = 0; y < lignes; ++y) {
            const uint8_t* source = t.octets.data() + size_t(y) * size_t(p.bytes_per_line);
            uint8_t* cible = image.scanLine(y);
            for (int x = 0; x < p.pixels_per_line; ++x) {
                if (gris)
                    cible[x] = Echantillon(source, p.depth, x);
                else if (canal < 0)
                    for (int k = 0; k < 3; ++k)
                        cible[3 * x + k] = Echantillon(source, p.depth, 3 * x + k);
                else
                    cible[3 * x + canal] = Echantillon(source, p.depth, x);
            }
        }
    }
    return image;
}

} // namespace

std::vector<Device> Devices()
{
    std::vector<Device> liste;
    const SANE_Device** appareils = nullptr;
    if (!Demarre() || sane_get_devices(&appareils, SANE_FALSE) != SANE_STATUS_GOOD ||
        appareils == nullptr)
        return liste;
    for (const SANE_Device** d = appareils; *d != nullptr; ++d)
        liste.push_back(
            {Texte((*d)->name), Texte((*d)->vendor), Texte((*d)->model), Texte((*d)->type)});
    return liste;
}

std::string ModeName(const std::vector<std::string>& offered, Mode wanted)
{
    auto trouver = [&](const char* exact, const char* mot1, const char* mot2) -> std::string {
        for (const std::string& m : offered)
            if (m == exact)
                return m;
        for (const std::string& m : offered)
            if (Contient(m, mot1) || Contient(m, mot2))
                return m;
        return {};
    };
    std::string mode;
    if (wanted == Mode::Colour)
        mode = trouver(SANE_VALUE_SCAN_MODE_COLOR, "color", "colour");
    if (mode.empty())
        mode = trouver(SANE_VALUE_SCAN_MODE_GRAY, "gray", "grey");
    return mode;
}

QImage Scan(const std::string& device, Mode mode, std::string* error)
{
    auto echec = [&](SANE_Status etat) {
        if (error != nullptr)
            *error = sane_strstatus(etat);
        return QImage();
    };
    if (!Demarre())
        return echec(SANE_STATUS_INVAL);
    Appareil appareil;
    SANE_Status etat = sane_open(device.c_str(), &appareil.handle);
    if (etat != SANE_STATUS_GOOD) {
        appareil.handle = nullptr;
        return echec(etat);
    }
    ChoisirMode(appareil.handle, mode);
    // A three-pass scanner sends its colours one frame at a time.
    std::vector<Trame> trames;
    do {
        trames.emplace_back();
        etat = LireTrame(appareil.handle, trames.back());
        if (etat != SANE_STATUS_GOOD)
            return echec(etat);
    } while (!trames.back().parametres.last_frame && trames.size() < 3);
    QImage image = Assembler(trames);
    if (image.isNull())
        return echec(SANE_STATUS_UNSUPPORTED);
    return image;
}

} // namespace scan
