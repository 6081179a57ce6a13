#include "platform/forms/Dialogs.h"
#include "platform/forms/DialogService.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/forms/testing/ProgramFolder.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace forms;
using forms::testing::RecordedBox;
using forms::testing::Script;

namespace {

class DialogsTest : public forms::testing::WindowTest
{
protected:
    void TearDown() override
    {
        SetAppTitle({});
        SetDialogService(&Script());
        WindowTest::TearDown();
    }
};

// Each button's label and the answer it gives.
std::map<QString, int> Buttons(QMessageBox& box)
{
    std::map<QString, int> result;
    for (QAbstractButton* button : box.buttons())
        result[button->text()] = button->property("answer").toInt();
    return result;
}

struct StyleCase
{
    int style;
    std::map<QString, int> buttons;
    QMessageBox::Icon icon;
    QString defaultButton;
    QString escapeButton; // empty: Escape does nothing
};

TEST_F(DialogsTest, StylesGiveFrenchButtonsIconsAndDefaults)
{
    const std::vector<StyleCase> cases = {
        {0, {{"OK", vbOK}}, QMessageBox::NoIcon, "OK", "OK"},
        {1, {{"OK", vbOK}, {"Annuler", vbCancel}}, QMessageBox::NoIcon, "OK", "Annuler"},
        {16, {{"OK", vbOK}}, QMessageBox::Critical, "OK", "OK"},
        {48, {{"OK", vbOK}}, QMessageBox::Warning, "OK", "OK"},
        {49, {{"OK", vbOK}, {"Annuler", vbCancel}}, QMessageBox::Warning, "OK", "Annuler"},
        {52, {{"Oui", vbYes}, {"Non", vbNo}}, QMessageBox::Warning, "Oui", ""},
        {54,
         {{"Annuler", vbCancel}, {"Recommencer", vbTryAgain}, {"Continuer", vbContinue}},
         QMessageBox::Warning,
         "Annuler",
         "Annuler"},
        {2,
         {{"Abandonner", vbAbort}, {"Réessayer", vbRetry}, {"Ignorer", vbIgnore}},
         QMessageBox::NoIcon,
         "Abandonner",
         ""},
        {3 + 32,
         {{"Oui", vbYes}, {"Non", vbNo}, {"Annuler", vbCancel}},
         QMessageBox::Question,
         "Oui",
         "Annuler"},
        {5 + 64,
         {{"Réessayer", vbRetry}, {"Annuler", vbCancel}},
         QMessageBox::Information,
         "Réessayer",
         "Annuler"},
        {52 + vbDefaultButton2, {{"Oui", vbYes}, {"Non", vbNo}}, QMessageBox::Warning, "Non", ""},
        {3 + vbDefaultButton3,
         {{"Oui", vbYes}, {"Non", vbNo}, {"Annuler", vbCancel}},
         QMessageBox::NoIcon,
         "Annuler",
         "Annuler"},
    };
    for (const StyleCase& c : cases) {
        SCOPED_TRACE(c.style);
        auto box = BuildMessageBox({"Texte", c.style, "Titre"});
        EXPECT_EQ(Buttons(*box), c.buttons);
        EXPECT_EQ(box->icon(), c.icon);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->text(), c.defaultButton);
        EXPECT_EQ(box->escapeButton() ? box->escapeButton()->text() : QString(), c.escapeButton);
    }
}

TEST_F(DialogsTest, TextAndTitleAsTheBoxShowsThem)
{
    SetAppTitle("Harnix");
    auto untitled =
        BuildMessageBox({"Pas de base de donnée, l'application va se terminer.", 0, {}});
    EXPECT_EQ(untitled->windowTitle(), "Harnix");
    auto titled = BuildMessageBox({"a\rb", 48, "Attention"});
    EXPECT_EQ(titled->windowTitle(), "Attention");
    EXPECT_EQ(titled->text(), "a\nb");

    EXPECT_EQ(MessageText("ligne 1\rligne 2"), "ligne 1\nligne 2");
    EXPECT_EQ(MessageText("ctx\r\nN°: 5"), "ctx\nN°: 5") << "CR LF is one break";
    EXPECT_EQ(MessageText("\r\r"), "\n\n");
    EXPECT_EQ(MessageText("a\nb"), "a\nb");
}

// The real boxes, answered by pressing their buttons.
TEST_F(DialogsTest, RealBoxesReturnTheAnswerOfTheButtonPressed)
{
    SetDialogService(nullptr);
    auto press = [](const QString& label) {
        QTimer::singleShot(0, [label] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            for (QAbstractButton* button : box->buttons())
                if (button->text() == label)
                    return button->click();
            ADD_FAILURE() << "no button " << label.toStdString();
            box->reject();
        });
    };
    press("Non");
    EXPECT_EQ(MsgBox("Confirmer la suppression !", 52, "Confirmation"), vbNo);
    press("Continuer");
    EXPECT_EQ(MsgBox("La taille M existe déjà !", 54, "Erreur"), vbContinue);

    QTimer::singleShot(0,
                       [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
    EXPECT_EQ(MsgBox("Quitter ?", 1), vbCancel);

    // A box without Cancel stays open on Escape and on its frame's close.
    QTimer::singleShot(0, [] {
        QWidget* box = QApplication::activeModalWidget();
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        EXPECT_TRUE(box->isVisible());
    });
    press("Oui");
    EXPECT_EQ(MsgBox("Confirmer la suppression !", 52, "Confirmation"), vbYes);

    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->textValue(), "Ref");
        dialog->setTextValue("Designation");
        dialog->accept();
    });
    EXPECT_EQ(InputBox("Enter Sort Column:", {}, "Ref"), "Designation");
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setTextValue("typed");
        dialog->reject();
    });
    EXPECT_EQ(InputBox("Enter Sort Column:"), "") << "Cancel gives the empty text";
}

// The real choosers, answered by choosing in them.
TEST_F(DialogsTest, RealChoosersReturnThePathChosenOrNothing)
{
    SetDialogService(nullptr);
    forms::testing::ProgramFolder folder;
    const QString picture = folder.Write("image/1000.jpg", "jpeg");
    auto choose = [](const QString& path, QStringList* filters, QString* title) {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            *filters = dialog->nameFilters();
            *title = dialog->windowTitle();
            if (path.isEmpty())
                return dialog->reject();
            // Typed into the name box, as a person would, in the folder of the path.
            const QFileInfo chosen(path);
            dialog->setDirectory(chosen.path());
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            if (!name) {
                ADD_FAILURE() << "the chooser has no name box";
                return dialog->reject();
            }
            name->setText(chosen.fileName());
            QMetaObject::invokeMethod(dialog, "accept");
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the chooser did not take " << path.toStdString();
                dialog->reject();
            }
        });
    };
    QStringList filters;
    QString title;
    choose(picture, &filters, &title);
    EXPECT_EQ(GetOpenFileName("Choisir une image", "Images JPEG|*.jpg", folder.Path()), picture);
    EXPECT_EQ(filters, QStringList{"Images JPEG (*.jpg)"});
    EXPECT_EQ(title, "Choisir une image");

    choose({}, &filters, &title);
    EXPECT_EQ(GetSaveFileName("Capture", "Bitmap|*.bmp", folder.Path()), "");

    choose(folder.FilePath("image"), &filters, &title);
    EXPECT_EQ(BrowseForFolder("Dossier contenant des vidéos", folder.Path()),
              folder.FilePath("image"));
    EXPECT_EQ(title, "Dossier contenant des vidéos");
}

TEST_F(DialogsTest, ChooserListReadsWhole)
{
    SetDialogService(nullptr);
    forms::testing::ProgramFolder folder;
    folder.Write("image/1000.jpg", "jpeg");
    // As a first run shows it: without the list's layout that Qt keeps from the last chooser.
    QSettings(QSettings::UserScope, "QtProject").remove("FileDialog/treeViewHeader");
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* list = dialog->findChild<QTreeView*>("treeView");
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) > 0; }));
        QHeaderView* header = list->header();
        QStyleOptionViewItem option;
        option.initFrom(list);
        // The file types come from a thread of the model and the header follows them at its next
        // layout: wait for the columns to take their widths, then say which one does not.
        const bool fitted = QTest::qWaitFor([&] {
            for (int c = 0; c < header->count(); ++c) {
                const QModelIndex cell = list->model()->index(0, c, list->rootIndex());
                if (header->sectionSize(c) < header->sectionSizeHint(c) ||
                    header->sectionSize(c) < list->itemDelegate()->sizeHint(option, cell).width())
                    return false;
            }
            return true;
        });
        EXPECT_TRUE(fitted);
        for (int c = 0; c < header->count(); ++c) {
            const QModelIndex cell = list->model()->index(0, c, list->rootIndex());
            SCOPED_TRACE(cell.data().toString().toStdString());
            EXPECT_GE(header->sectionSize(c), header->sectionSizeHint(c));
            EXPECT_GE(header->sectionSize(c), list->itemDelegate()->sizeHint(option, cell).width());
        }
        dialog->reject();
    });
    EXPECT_EQ(GetOpenFileName("Choisir une image", "Images JPEG|*.jpg", folder.FilePath("image")),
              "");
}

TEST_F(DialogsTest, ScriptRecordsAndAnswersEveryBox)
{
    SetAppTitle("Harnix");
    Script()
        .ExpectMsgBox(vbYes, "suppression")
        .ExpectInputBox("Designation")
        .ExpectInputBoxCancel()
        .ExpectFile(RecordedBox::OpenFile, "/tmp/a.jpg")
        .ExpectFile(RecordedBox::Folder, "")
        .ExpectMsgBox(vbOK);
    EXPECT_EQ(MsgBox("Confirmer la suppression !", 52, "Confirmation"), vbYes);
    EXPECT_EQ(InputBox("Enter Sort Column:", {}, "x"), "Designation");
    EXPECT_EQ(InputBox("Enter Sort Column:"), "");
    EXPECT_EQ(GetOpenFileName("Image", "Images|*.jpg;*.bmp", "/tmp"), "/tmp/a.jpg");
    EXPECT_EQ(BrowseForFolder("Dossier contenant des vidéos"), "");
    MsgBox("Fin");

    const auto& boxes = Script().Boxes();
    ASSERT_EQ(boxes.size(), 6u);
    EXPECT_EQ(boxes[0].kind, RecordedBox::MessageBox);
    EXPECT_EQ(boxes[0].text, "Confirmer la suppression !");
    EXPECT_EQ(boxes[0].style, 52);
    EXPECT_EQ(boxes[0].title, "Confirmation");
    EXPECT_EQ(boxes[1].defaultText, "x");
    EXPECT_EQ(boxes[1].title, "Harnix");
    EXPECT_EQ(boxes[3].filter, "Images|*.jpg;*.bmp");
    EXPECT_EQ(boxes[3].initialDir, "/tmp");
    EXPECT_EQ(boxes[4].text, "Dossier contenant des vidéos");
    EXPECT_EQ(boxes[5].title, "Harnix") << "a box without title shows the program's title";
    EXPECT_EQ(Script().Pending(), 0u);
}

TEST_F(DialogsTest, ABoxTheScriptDoesNotExpectFailsTheTestWithoutWaiting)
{
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(answer = MsgBox("Surprise", 52), "unexpected message box \"Surprise\"");
    EXPECT_EQ(answer, vbCancel);

    Script().ExpectInputBox("x");
    EXPECT_NONFATAL_FAILURE(answer = MsgBox("Autre"), "expected input box, got message box");

    Script().ExpectMsgBox(vbOK, "Enregistré");
    EXPECT_NONFATAL_FAILURE(MsgBox("Erreur N°: 5"), "with \"Enregistré\"");

    Script().ExpectMsgBox(vbOK, "jamais");
    EXPECT_NONFATAL_FAILURE(Script().VerifyAllAnswered(), "never appeared");
}

TEST_F(DialogsTest, FileFiltersBecomeNameFilters)
{
    EXPECT_EQ(NameFilters("Images|*.jpg;*.bmp|Tous|*.*"),
              (QStringList{"Images (*.jpg *.bmp)", "Tous (*.*)"}));
    EXPECT_EQ(NameFilters("JPEG Files (*.JPG)|*.JPG"), QStringList{"JPEG Files (*.JPG)"});
    EXPECT_EQ(NameFilters(""), QStringList());
    EXPECT_EQ(NameFilters("sans motif"), QStringList());
}

TEST_F(DialogsTest, QtsOwnTextsSpeakFrench)
{
    // The context menu of a text box.
    QLineEdit box;
    box.setText("texte");
    std::unique_ptr<QMenu> menu(box.createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().remove('&').section('\t', 0, 0);
    EXPECT_TRUE(texts.contains("Copier")) << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.contains("Tout sélectionner")) << texts.join(" | ").toStdString();
    // The file chooser and its overwrite question.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Save"), "&Enregistrer");
    EXPECT_TRUE(
        QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?")
            .startsWith("Le fichier %1 existe déjà"));
    // The type column of the file chooser's list.
    forms::testing::ProgramFolder folder;
    folder.Write("image/1000.jpg", "jpeg");
    QFileSystemModel files;
    QSignalSpy loaded(&files, &QFileSystemModel::directoryLoaded);
    files.setRootPath(folder.Path());
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(files.index(folder.FilePath("image"), 2).data().toString().toStdString(), "Dossier");
    files.setRootPath(folder.FilePath("image"));
    ASSERT_TRUE(loaded.wait(5000));
    EXPECT_EQ(files.index(folder.FilePath("image/1000.jpg"), 2).data().toString().toStdString(),
              "image JPEG");
}

} // namespace
