#pragma once
// What every program sets up once its application object exists: Qt's own texts (file
// choosers, standard buttons, context menus of text boxes) in French, and the interface font
// the windows were laid out for.

#include <QApplication>

namespace forms {

// The application object of the programs. The forms run event procedures inside the error
// boundary themselves (ErrorBoundary.h); an error thrown by other code that Qt runs (a timer's
// slot) is caught here, as a last net, and reported in the same way.
class Application : public QApplication
{
    Q_OBJECT

public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

// The family of the interface font: metric-compatible with the one the windows' sizes in twips
// were designed for.
inline constexpr const char* InterfaceFontFamily = "Liberation Sans";
// Its height in pixels: 8 points at 96 dots per inch, as the system's interface font has it.
inline constexpr int InterfaceFontPixels = 11;

void PrepareApplication();

} // namespace forms
