#include "platform/forms/Application.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

namespace forms {

void PrepareApplication()
{
    // "qt_fr" gathers the French catalogues of Qt's modules (qtbase_fr among them).
    auto* translator = new QTranslator(qApp);
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
