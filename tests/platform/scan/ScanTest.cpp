// The scanners of SANE through its test backend, which the tests' own configuration folder enables
// (SANE_CONFIG_DIR): two virtual devices drawing a colour pattern, 80 x 100 mm at 50 dpi.

#include "platform/forms/Dialogs.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/scan/Twain.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {

// SANE's test backend can cancel its reader thread before that thread frees its buffer, a leak of
// the backend's own; and SANE unloads its backends at exit, before the leak check can name them.
// Loaded once more here and never unloaded, the backend keeps its name in a leak report, so that
// the sanitizer build's suppression for it applies and every other leak still counts.
[[maybe_unused]] void* const testBackend = dlopen(SANE_TEST_BACKEND, RTLD_NOW | RTLD_NODELETE);

class ScanTest : public forms::testing::WindowTest
{
protected:
    void TearDown() override
    {
        scan::SetSourceChooser(nullptr);
        scan::SetChosenSource({});
        forms::testing::WindowTest::TearDown();
    }
};

bool EnCouleur(const QImage& image)
{
    for (int y = 0; y < image.height(); y += 3)
        for (int x = 0; x < image.width(); x += 3) {
            const QRgb c = image.pixel(x, y);
            if (qRed(c) != qGreen(c) || qGreen(c) != qBlue(c))
                return true;
        }
    return false;
}

// Also run with colour in three frames of 16-bit samples (the folder sane-three-pass).
TEST_F(ScanTest, ScansOnePageInColourAndInGrey)
{
    const std::vector<scan::Device> appareils = scan::Devices();
    ASSERT_EQ(appareils.size(), 2u);
    EXPECT_EQ(appareils[0].name, "test:0");
    EXPECT_EQ(appareils[1].name, "test:1");

    std::string erreur;
    const QImage couleur = scan::Scan("test:1", scan::Mode::Colour, &erreur);
    ASSERT_FALSE(couleur.isNull()) << erreur;
    EXPECT_EQ(couleur.size(), QSize(157, 196));
    EXPECT_TRUE(EnCouleur(couleur));

    const QImage gris = scan::Scan("test:1", scan::Mode::Grey, &erreur);
    ASSERT_FALSE(gris.isNull()) << erreur;
    EXPECT_EQ(gris.size(), QSize(157, 196));
    EXPECT_TRUE(gris.isGrayscale());
    EXPECT_FALSE(EnCouleur(gris));
    // Not a blank page.
    EXPECT_NE(gris.pixel(0, 0), gris.pixel(gris.width() / 2, gris.height() / 2));

    EXPECT_TRUE(scan::Scan("absent:0", scan::Mode::Colour, &erreur).isNull());
    EXPECT_FALSE(erreur.empty());
}

TEST_F(ScanTest, ModeIsColourWhereOfferedElseGrey)
{
    const struct
    {
        std::vector<std::string> offerts;
        scan::Mode voulu;
        std::string choisi;
    } cas[] = {
        {{"Lineart", "Gray", "Color"}, scan::Mode::Colour, "Color"},
        {{"Lineart", "Gray", "Color"}, scan::Mode::Grey, "Gray"},
        {{"Lineart", "Gray"}, scan::Mode::Colour, "Gray"},
        {{"Binary", "True Gray", "24bit Color"}, scan::Mode::Colour, "24bit Color"},
        {{"Binary", "True Gray", "24bit Color"}, scan::Mode::Grey, "True Gray"},
        {{"Lineart"}, scan::Mode::Colour, ""},
    };
    for (const auto& c : cas)
        EXPECT_EQ(scan::ModeName(c.offerts, c.voulu), c.choisi) << c.choisi;
}

TEST_F(ScanTest, TheChosenScannerIsKeptAndScansOntoTheClipboard)
{
    std::vector<std::string> proposes;
    scan::SetSourceChooser([&](const std::vector<scan::Device>& appareils, QWidget*) {
        for (const scan::Device& d : appareils)
            proposes.push_back(d.name);
        return std::optional<std::string>("test:1");
    });
    EXPECT_TRUE(scan::TWAIN_SelectImageSource(nullptr));
    EXPECT_EQ(proposes, (std::vector<std::string>{"test:0", "test:1"}));
    EXPECT_EQ(scan::ChosenSource(), "test:1");

    scan::SetSourceChooser(
        [](const std::vector<scan::Device>&, QWidget*) { return std::optional<std::string>(); });
    EXPECT_FALSE(scan::TWAIN_SelectImageSource(nullptr));
    EXPECT_EQ(scan::ChosenSource(), "test:1");

    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(scan::TWAIN_AcquireToClipboard(nullptr));
    const QImage page = QGuiApplication::clipboard()->image();
    EXPECT_EQ(page.size(), QSize(157, 196));
    EXPECT_TRUE(EnCouleur(page));
}

TEST_F(ScanTest, AScannerThatFailsSaysSoAndLeavesTheClipboard)
{
    scan::SetChosenSource("absent:0");
    QGuiApplication::clipboard()->setText("avant");
    forms::testing::Script().ExpectMsgBox(forms::vbOK, "absent:0");
    EXPECT_FALSE(scan::TWAIN_AcquireToClipboard(nullptr));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "avant");
}

} // namespace

// Run with a SANE configuration that enables no backend (the folder none).
TEST(NoScanner, SaysSoAndScansNothing)
{
    EXPECT_TRUE(scan::Devices().empty());
    std::optional<std::vector<scan::Device>> proposes;
    scan::SetSourceChooser([&](const std::vector<scan::Device>& appareils, QWidget*) {
        proposes = appareils;
        return std::optional<std::string>();
    });
    EXPECT_FALSE(scan::TWAIN_SelectImageSource(nullptr));
    ASSERT_TRUE(proposes.has_value());
    EXPECT_TRUE(proposes->empty());
    scan::SetSourceChooser(nullptr);

    QGuiApplication::clipboard()->setText("avant");
    forms::testing::Script().ExpectMsgBox(forms::vbOK, "Aucun scanner n'est disponible.");
    EXPECT_FALSE(scan::TWAIN_AcquireToClipboard(nullptr));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "avant");
}
