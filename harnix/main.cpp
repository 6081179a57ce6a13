// Harnix: the store keeper's program. Start-up runs in Global::Main; the program then lives
// until a window ends it.
#include "harnix/shell/GlobalMain.h"
#include "platform/forms/Application.h"
#include "platform/forms/ErrorBoundary.h"

int main(int argc, char** argv)
{
    forms::Application app(argc, argv);
    forms::PrepareApplication();
    // The program ends only through an explicit end, never by its last window closing.
    app.setQuitOnLastWindowClosed(false);
    forms::RunEventProcedure(Global::Main);
    return app.exec();
}
