#include "platform/forms/Application.h"
#include "platform/forms/ErrorBoundary.h"
#include "platform/forms/Registry.h"
#include "slidora/Form1.h"

#include <clocale>

int main(int argc, char** argv)
{
    forms::Application app(argc, argv);
    forms::PrepareApplication();
    // The player library reads and writes numbers in the C convention only.
    std::setlocale(LC_NUMERIC, "C");
    forms::RunEventProcedure([] { forms::form<slidora::Form1>().Show(); });
    return app.exec();
}
