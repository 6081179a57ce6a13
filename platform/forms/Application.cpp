#include "platform/forms/Application.h"

#include "platform/forms/ErrorBoundary.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

namespace forms {

namespace {

// Qt asks for the file chooser's type names ("Folder", "Drive") under the icon provider's
// context, while its French catalogue still files them under the file dialog's.
class QtTranslator : public QTranslator
{
public:
    using QTranslator::QTranslator;

    QString translate(const char* context, const char* source, const char* disambiguation,
                      int n) const override
    {
        QString text = QTranslator::translate(context, source, disambiguation, n);
        if (text.isEmpty() && qstrcmp(context, "QAbstractFileIconProvider") == 0)
            text = QTranslator::translate("QFileDialog", source, disambiguation, n);
        return text;
    }
};

} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
        return true;
    }
}

void PrepareApplication()
{
    // Qt's own texts drawn from the locale (the file types of the file chooser) in French too.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    // "qt_fr" gathers the French catalogues of Qt's modules (qtbase_fr among them).
    auto* translator = new QtTranslator(qApp);
    if (translator->load(QStringLiteral("qt_fr"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;

    // Given in points, so that windows that enlarge the font by some points keep working; the
    // size is chosen so that it comes to the design's pixels at the screen's resolution.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen != nullptr ? screen->logicalDotsPerInchY() : 96.0;
    QFont font(InterfaceFontFamily);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(InterfaceFontPixels * 72.0 / dpi);
    QApplication::setFont(font);
}

} // namespace forms
