#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("TAVO"));
    QApplication::setApplicationName(QStringLiteral("Quakeslate"));
    auto* window = new QMainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Quakeslate #1"));
    window->resize(1200, 800);
    window->show();
    return app.exec();
}
