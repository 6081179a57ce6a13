#include "platform/scan/Twain.h"

#include "platform/forms/Dialogs.h"
#include "platform/forms/MousePointer.h"

#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>

namespace scan {

namespace {

std::optional<std::string> ChoisirDansLaListe(const std::vector<Device>& devices, QWidget* owner)
{
    QDialog dialogue(owner);
    dialogue.setWindowTitle("Sélectionner la source");
    auto* disposition = new QVBoxLayout(&dialogue);
    auto* liste = new QListWidget(&dialogue);
    for (const Device& d : devices) {
        auto* ligne = new QListWidgetItem(
            QString::fromStdString(d.vendor + " " + d.model + " (" + d.name + ")"), liste);
        ligne->setData(Qt::UserRole, QString::fromStdString(d.name));
        if (d.name == ChosenSource())
            liste->setCurrentItem(ligne);
    }
    if (liste->currentRow() < 0)
        liste->setCurrentRow(0);
    disposition->addWidget(
        new QLabel(devices.empty() ? "Aucun scanner n'est disponible." : "Sources :", &dialogue));
    disposition->addWidget(liste);
    auto* boutons = new QDialogButtonBox(&dialogue);
    QPushButton* ok = boutons->addButton("OK", QDialogButtonBox::AcceptRole);
    boutons->addButton("Annuler", QDialogButtonBox::RejectRole);
    ok->setEnabled(!devices.empty());
    QObject::connect(boutons, &QDialogButtonBox::accepted, &dialogue, &QDialog::accept);
    QObject::connect(boutons, &QDialogButtonBox::rejected, &dialogue, &QDialog::reject);
    QObject::connect(liste, &QListWidget::itemDoubleClicked, &dialogue, &QDialog::accept);
    disposition->addWidget(boutons);
    if (dialogue.exec() != QDialog::Accepted || liste->currentItem() == nullptr)
        return std::nullopt;
    return liste->currentItem()->data(Qt::UserRole).toString().toStdString();
}

SourceChooser& Choisisseur()
{
    static SourceChooser choisisseur;
    return choisisseur;
}

std::string& Choisie()
{
    static std::string choisie;
    return choisie;
}

} // namespace

void SetSourceChooser(SourceChooser chooser)
{
    Choisisseur() = std::move(chooser);
}

const std::string& ChosenSource()
{
    return Choisie();
}

void SetChosenSource(const std::string& device)
{
    Choisie() = device;
}

bool TWAIN_SelectImageSource(QWidget* owner)
{
    const std::vector<Device> appareils = Devices();
    const std::optional<std::string> choix =
        Choisisseur() ? Choisisseur()(appareils, owner) : ChoisirDansLaListe(appareils, owner);
    if (!choix)
        return false;
    Choisie() = *choix;
    return true;
}

bool TWAIN_AcquireToClipboard(QWidget* owner)
{
    (void)owner;
    std::string appareil = Choisie();
    if (appareil.empty()) {
        const std::vector<Device> appareils = Devices();
        if (appareils.empty()) {
            forms::MsgBox("Aucun scanner n'est disponible.", forms::vbExclamation);
            return false;
        }
        appareil = appareils.front().name;
    }
    const enum forms::MousePointer avant = forms::MousePointer();
    forms::SetMousePointer(forms::MousePointer::Hourglass);
    std::string erreur;
    const QImage page = Scan(appareil, Mode::Colour, &erreur);
    forms::SetMousePointer(avant);
    if (page.isNull()) {
        forms::MsgBox(
            QString::fromStdString("Le scanner " + appareil + " n'a pas pu numériser : " + erreur),
            forms::vbExclamation);
        return false;
    }
    QGuiApplication::clipboard()->setImage(page);
    const QMimeData* contenu = QGuiApplication::clipboard()->mimeData();
    return contenu != nullptr && contenu->hasImage();
}

} // namespace scan
