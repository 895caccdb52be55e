#include "shell/mainwindow.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Orvel"));
    QApplication::setApplicationName(QStringLiteral("Orvel Logger"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orvel Logger"));
    QApplication::setApplicationVersion(QStringLiteral(ORVEL_VERSION));
    // The installed desktop entry, so that desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvel.OrvelLogger"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app/orvel-logger.svg")));

    orvel::MainWindow window;
    window.show();
    return app.exec();
}
