#include "shell/mainwindow.h"

#include <QApplication>
#include <QIcon>

#include <csignal>

int main(int argc, char *argv[])
{
    // A file-size limit reached while logging must be a write error the log writer reports,
    // not a signal that ends the program and the recording with it.
    std::signal(SIGXFSZ, SIG_IGN);

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
