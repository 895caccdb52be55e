// orvel-regobject-writer FOLDER PREFIX COUNT: a second program using the settings store at the
// same time. Prints "ready", waits for a line on standard input, then writes COUNT values named
// PREFIX0, PREFIX1, ... under HKEY_CURRENT_USER\SOFTWARE\Orvel\Orvel Logger of the store in
// configuration folder FOLDER. Exits with 1 and the error text at the first failed write.

#include "common/failure.h"
#include "settings/regobject.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    bool ok = false;
    const int count = args.size() == 4 ? args.at(3).toInt(&ok) : 0;
    if (!ok) {
        err << "usage: orvel-regobject-writer FOLDER PREFIX COUNT" << Qt::endl;
        return 2;
    }
    orvel::RegObject store(args.at(1));
    store.setRaiseWriteError(true);
    out << "ready" << Qt::endl;
    QTextStream in(stdin);
    in.readLine();
    try {
        for (int i = 0; i < count; ++i) {
            store.RegWrite(orvel::RegObject::CurrentUser,
                           QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger"),
                           args.at(2) + QString::number(i), i);
        }
    } catch (const orvel::Failure &failure) {
        err << failure.source() << ": " << failure.description() << Qt::endl;
        return 1;
    }
    out << "done" << Qt::endl;
    return 0;
}
