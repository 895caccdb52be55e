#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvel"));
    QApplication::setApplicationName(QStringLiteral("Orvel Logger"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    QMainWindow window;
    window.show();
    return app.exec();
}
