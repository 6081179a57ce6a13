#include "platform/forms/Application.h"
#include "platform/forms/Registry.h"
#include "slidora/Form1.h"

#include <QApplication>

#include <clocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    forms::PrepareApplication();
    // The player library reads and writes numbers in the C convention only.
    std::setlocale(LC_NUMERIC, "C");
    slidora::Form1& form = forms::form<slidora::Form1>();
    form.Show();
    return app.exec();
}
