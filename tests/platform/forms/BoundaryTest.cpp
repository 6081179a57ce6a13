// The error boundary: an error that escapes an event procedure ends the program with the
// runtime's message, through the real end, and never reaches Qt.
#include "platform/forms/Controls.h"
#include "platform/forms/Dialogs.h"
#include "platform/forms/ErrorBoundary.h"
#include "platform/forms/Form.h"
#include "platform/forms/Keys.h"
#include "platform/forms/Registry.h"
#include "platform/forms/testing/Dialogs.h"
#include "platform/forms/testing/Drive.h"
#include "platform/vb/Error.h"
#include "platform/win/End.h"
#include "platform/win/ErrorLog.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

using namespace forms::testing;

namespace {

class Fautive : public forms::Form
{
public:
    Fautive()
    {
        setObjectName("Fautive");
        auto* lambda = new forms::CommandButton("CmdLambda", "Lambda", this);
        connect(lambda, &QPushButton::clicked, this,
                [] { throw vb::Error(vb::ErrInvalidUseOfNull, "Utilisation incorrecte de Null"); });
        auto* membre = new forms::CommandButton("CmdMembre", "Membre", this);
        membre->move(0, 40);
        connect(membre, &QPushButton::clicked, this, &Fautive::CmdMembre_Click);
        auto* texte = new QLineEdit(this);
        texte->setObjectName("Text1");
        texte->move(0, 80);
        forms::OnKeyPress(texte, [](int&) { throw std::runtime_error("clé refusée"); });
    }

    void CmdMembre_Click() { throw vb::Error(vb::ErrUnspecified, "Fichier introuvable", "ado"); }
    void Form_Unload(int&) override { vb::Raise(vb::ErrTypeMismatch); }
};

// What the end of the program finds: the boxes shown and the errors logged, on one line each,
// for the parent to read on the child's error output.
void NoterALaFin()
{
    static std::vector<std::string> journal;
    win::SetErrorLogWriter([](int32_t numero, const std::string& description) {
        journal.push_back(std::to_string(numero) + " " + description);
    });
    win::AddEndStep([] {
        for (const RecordedBox& box : Script().Boxes())
            std::fprintf(stderr, "box [%s] %d: %s\n", box.title.toStdString().c_str(), box.style,
                         box.text.toStdString()
                             .replace(box.text.toStdString().find("\r\n\r\n"), 4, " / ")
                             .c_str());
        for (const std::string& ligne : journal)
            std::fprintf(stderr, "log %s\n", ligne.c_str());
    });
}

class BoundaryTest : public WindowTest
{
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void TearDown() override
    {
        WindowTest::TearDown();
        win::SetEndHandler({});
        win::SetErrorLogWriter({});
        forms::SetAppTitle({});
    }
};

TEST_F(BoundaryTest, AnEscapedErrorIsReportedLoggedAndEndsTheProgram)
{
    struct Cas
    {
        const char* nom;
        std::function<void(Fautive&)> action;
        const char* sortie;
    };
    const std::vector<Cas> cas{
        // Emitted by code, outside any event: only the connection's own guard stands between
        // the slot and the caller.
        {"connected lambda, signal from code",
         [](Fautive& f) { Find<forms::CommandButton>(f, "CmdLambda").click(); },
         "box \\[Harnix\\] 16: Erreur d'exécution '94': / Utilisation incorrecte de Null\n"
         "log 94 Utilisation incorrecte de Null\n"},
        {"connected member, mouse click", [](Fautive& f) { Click(f, "CmdMembre"); },
         "box \\[Harnix\\] 16: Erreur d'exécution '-2147467259 \\(80004005\\)': / Fichier "
         "introuvable\nlog -2147467259 Fichier introuvable\n"},
        {"key hook, standard exception", [](Fautive& f) { Type(f, "Text1", "a"); },
         "box \\[Harnix\\] 16: Erreur d'exécution '51': / Erreur interne \\(clé refusée\\)\n"},
        {"unload from the frame", [](Fautive& f) { f.close(); },
         "box \\[Harnix\\] 16: Erreur d'exécution '13': / Incompatibilité de type\n"},
        {"timer, caught by the application's net",
         [](Fautive&) {
             QTimer::singleShot(0, [] { vb::Raise(vb::ErrDivisionByZero); });
             ProcessEvents();
         },
         "box \\[Harnix\\] 16: Erreur d'exécution '11': / Division par zéro\n"},
    };
    for (const Cas& c : cas) {
        SCOPED_TRACE(c.nom);
        EXPECT_EXIT(
            {
                forms::SetAppTitle("Harnix");
                NoterALaFin();
                Script().ExpectMsgBox(forms::vbOK);
                Fautive& f = forms::form<Fautive>();
                f.Show();
                c.action(f);
                // Only reached when nothing ended the program.
                std::fprintf(stderr, "still running\n");
                std::_Exit(0);
            },
            ::testing::ExitedWithCode(forms::UntrappedErrorExitCode), c.sortie);
    }
}

TEST_F(BoundaryTest, WithoutATitleOfItsOwnTheBoxHasTheProgramsName)
{
    // As Slidora, which sets none.
    EXPECT_EXIT(
        {
            NoterALaFin();
            Script().ExpectMsgBox(forms::vbOK);
            Fautive& f = forms::form<Fautive>();
            f.Show();
            Click(f, "CmdLambda");
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(forms::UntrappedErrorExitCode),
        "box \\[" + QCoreApplication::applicationName().toStdString() + "\\] 16: Erreur");
}

TEST_F(BoundaryTest, TheEndOfATestGoesThroughAndASecondErrorDuringTheBoxIsOnlyLogged)
{
    std::vector<std::string> journal;
    win::SetErrorLogWriter(
        [&](int32_t numero, const std::string&) { journal.push_back(std::to_string(numero)); });
    win::SetEndHandler(win::ThrowEndCalled);
    // While the first box waits, another handler fails.
    struct Imbrique : forms::DialogService
    {
        int MessageBox(const forms::MessageBoxRequest&) override
        {
            ++boites;
            forms::RunEventProcedure([] { vb::Raise(vb::ErrOverflow); });
            return forms::vbOK;
        }
        std::optional<QString> InputBox(const forms::InputBoxRequest&) override { return {}; }
        QString ChooseFile(const forms::FileRequest&) override { return {}; }
        int boites = 0;
    } imbrique;
    forms::SetDialogService(&imbrique);
    try {
        forms::RunEventProcedure([] { vb::Raise(vb::ErrSubscript); });
        ADD_FAILURE() << "the program did not end";
    } catch (const win::EndCalled& fin) {
        EXPECT_EQ(fin.code(), forms::UntrappedErrorExitCode);
    }
    forms::SetDialogService(&Script());
    EXPECT_EQ(imbrique.boites, 1);
    EXPECT_EQ(journal, (std::vector<std::string>{"9", "6"}));

    // The report is over: the next error is reported again.
    Script().ExpectMsgBox(forms::vbOK, "Erreur d'exécution '9':\r\n\r\n");
    EXPECT_THROW(forms::RunEventProcedure([] { vb::Raise(vb::ErrSubscript); }), win::EndCalled);
}

} // namespace
