#include "harnix/staff/EuroKey.h"

#include "harnix/commun/Global.h"
#include "harnix/staff/FrmUtilisateur.h"
#include "platform/forms/Registry.h"

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace EuroKey {

namespace {

using namespace std::chrono_literals;

// The register's serial port, bound by OuvrirPortBadge.
comm::CommControl* MSComm = nullptr;

// Waits until the input holds the number of bytes or the time since the send has passed. The
// wait blocks on the device between checks instead of spinning, and processes no events.
void Attendre(comm::CommControl& port, int octets, std::chrono::milliseconds limite)
{
    const auto envoi = std::chrono::steady_clock::now();
    while (port.InBufferCount() < octets) {
        const auto ecoule = std::chrono::steady_clock::now() - envoi;
        if (ecoule > limite)
            return;
        const auto reste = std::chrono::duration_cast<std::chrono::milliseconds>(limite - ecoule);
        port.WaitForInput(std::max(reste + 1ms, 1ms));
    }
}

} // namespace

void OuvrirPortBadge()
{
    MSComm = &forms::form<FrmUtilisateur>().MSComm;
    try {
        if (!MSComm->PortOpen()) {
            MSComm->SetCommPort(Global::PortBadge);
            MSComm->SetSettings("9600,N,8,1");
            MSComm->SetPortOpen(true);
            MSComm->Input();
        }
    } catch (...) {
        // The port stays as it was; the first send then reports why.
    }
}

std::string LireBadge()
{
    OuvrirPortBadge();
    comm::CommControl& port = *MSComm;

    port.SetOutput(std::string(1, '\x00'));
    Attendre(port, 1, 1000ms);
    if (port.Input().empty())
        return "ERREUR";

    port.SetOutput(std::string(1, '\x04'));
    Attendre(port, 1, 3000ms);
    port.Input();

    port.SetOutput(std::string(1, '\x00'));
    Attendre(port, 17, 2000ms);
    const std::string reponse = port.Input();
    if (reponse.size() < 13)
        return {};
    auto octet = [&reponse](size_t numero) { return uint8_t(reponse[numero - 1]); };
    if (octet(1) == 0xFF && octet(2) == 0xFF)
        return {};
    // Bytes 10 to 13, most significant first, as a signed 32-bit number.
    const uint32_t valeur = uint32_t(octet(10)) << 24 | uint32_t(octet(11)) << 16 |
                            uint32_t(octet(12)) << 8 | uint32_t(octet(13));
    return std::to_string(int32_t(valeur));
}

} // namespace EuroKey
