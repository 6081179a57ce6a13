#include "harnix/staff/EuroKey.h"

#include "tests/harnix/staff/StaffFixture.h"
#include "tests/platform/comm/Pty.h"

#include "harnix/staff/FrmUtilisateur.h"
#include "platform/forms/Registry.h"
#include "platform/vb/Error.h"

#include <chrono>

namespace {

using comm::testing::Bytes;
using comm::testing::FarEnd;
using comm::testing::Pty;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class LireBadge : public staff::testing::StaffTest
{
protected:
    void SetUp() override
    {
        StaffTest::SetUp();
        forms::form<FrmUtilisateur>().MSComm.SetDevicePath(pty.Path());
    }

    // The reply to the final 00: 17 bytes with the badge bytes 10 to 13 and the first two.
    static std::string Reponse(const std::string& premiers, const std::string& badge,
                               size_t octets = 17)
    {
        std::string r =
            Bytes(premiers) + Bytes("01 02 03 04 05 06 07") + Bytes(badge) + Bytes("AA BB BB BB");
        return r.substr(0, octets);
    }

    // Reads a badge and the time the read took.
    std::pair<std::string, Clock::duration> Lire()
    {
        const auto debut = Clock::now();
        std::string badge = EuroKey::LireBadge();
        return {badge, Clock::now() - debut};
    }

    Pty pty;
};

TEST_F(LireBadge, DecodesTheBadgeNumberOfTheReply)
{
    struct Cas
    {
        std::string premiers, badge;
        size_t octets;
        std::string attendu;
    } cas[] = {
        {"00 00", "00 00 30 39", 17, "12345"},
        {"FF 00", "00 00 30 39", 17, "12345"}, // one FF alone does not mean "no badge"
        {"00 FF", "00 00 00 07", 17, "7"},
        {"00 00", "FF FF FF FE", 17, "-2"},
        {"00 00", "7F FF FF FF", 13, "2147483647"}, // 13 bytes are enough
        {"00 00", "00 00 80 00", 17, "32768"},
    };
    for (const Cas& c : cas) {
        FarEnd lecteur(pty, {{"\x06"}, {"\x06"}, {Reponse(c.premiers, c.badge, c.octets)}});
        const auto [badge, duree] = Lire();
        EXPECT_EQ(badge, c.attendu) << c.badge;
        if (c.octets == 17) {
            EXPECT_LT(duree, 1s) << "a full reply ends the wait at once";
        }
        EXPECT_EQ(lecteur.Received(), Bytes("00 04 00"));
    }
}

TEST_F(LireBadge, GivesNothingForAShortReplyOrWhenNoBadgeWasRead)
{
    {
        FarEnd lecteur(pty, {{"\x06"}, {"\x06"}, {Reponse("00 00", "00 00 30 39", 12)}});
        const auto [badge, duree] = Lire();
        EXPECT_EQ(badge, "");
        EXPECT_GE(duree, 2s) << "a short reply waits the reply's two seconds";
        EXPECT_LT(duree, 2500ms);
    }
    {
        FarEnd lecteur(pty, {{"\x06"}, {"\x06"}, {Reponse("FF FF", "00 00 30 39")}});
        EXPECT_EQ(Lire().first, "");
    }
}

TEST_F(LireBadge, ReportsErreurWhenTheReaderDoesNotAnswer)
{
    FarEnd lecteur(pty, {});
    const auto [badge, duree] = Lire();
    EXPECT_EQ(badge, "ERREUR");
    EXPECT_GE(duree, 1s);
    EXPECT_LT(duree, 1500ms);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(lecteur.Received(), Bytes("00")) << "no 04 after an unanswered 00";
}

TEST_F(LireBadge, WaitsThreeSecondsForTheAnswerTo04ThenReadsTheReply)
{
    FarEnd lecteur(pty, {{"\x06"}, {""}, {Reponse("00 00", "00 01 00 00")}});
    const auto [badge, duree] = Lire();
    EXPECT_EQ(badge, "65536");
    EXPECT_GE(duree, 3s);
    EXPECT_LT(duree, 3500ms);
}

TEST_F(LireBadge, OpensThePortOnceAndDropsWhatWaitedBeforeIt)
{
    FrmUtilisateur& registre = forms::form<FrmUtilisateur>();
    pty.Write("stale");
    {
        FarEnd lecteur(pty, {{"\x06"}, {"\x06"}, {Reponse("00 00", "00 00 00 2A")}});
        EXPECT_EQ(Lire().first, "42") << "bytes from before the open are not the reply";
    }
    EXPECT_TRUE(registre.MSComm.PortOpen());
    EXPECT_EQ(registre.MSComm.Settings(), "9600,N,8,1");

    // A second read finds the port open and leaves its configuration alone.
    registre.MSComm.SetSettings("2400,N,8,1");
    FarEnd lecteur(pty, {{"\x06"}, {"\x06"}, {Reponse("00 00", "00 00 00 2B")}});
    EXPECT_EQ(Lire().first, "43");
    EXPECT_EQ(registre.MSComm.Settings(), "2400,N,8,1");
}

TEST_F(LireBadge, APortThatCannotOpenFailsTheFirstSend)
{
    FrmUtilisateur& registre = forms::form<FrmUtilisateur>();
    registre.MSComm.SetDevicePath(zad.Folder().Path().string() + "/no-such-device");
    EXPECT_NO_THROW(EuroKey::OuvrirPortBadge()) << "opening says nothing";
    EXPECT_FALSE(registre.MSComm.PortOpen());
    try {
        EuroKey::LireBadge();
        FAIL() << "the read must fail";
    } catch (const vb::Error& e) {
        EXPECT_EQ(e.Number(), comm::ErrPortNotOpen);
    }
}

} // namespace
