#include "shell/mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvel"));
    QApplication::setApplicationName(QStringLiteral("Orvel Logger"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvel Logger"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));

    orvel::MainWindow window;
    window.show();
    return app.exec();
}
