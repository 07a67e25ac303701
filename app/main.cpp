#include "app/quakeslatewindow.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication::setOrganizationName(QStringLiteral("TAVO"));
    QApplication::setOrganizationDomain(QStringLiteral("quakeslate.org"));
    QApplication::setApplicationName(QStringLiteral("Quakeslate"));

    // On the heap: the window deletes itself when closed, and the loop ends
    // with the last window.
    auto* window = new QuakeslateWindow(nullptr);
    window->show();
    window->initializeCanvasSize();
    return app.exec();
}
