#include "common/failure.h"
#include "settings/registryfile.h"
#include "settings/regobject.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace orvel;

namespace {

const QString Key = QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger");

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestRegistryStore : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void fileFormat();
    void roundTrip_data();
    void roundTrip();
    void longByteListsWrap();
    void readsHandEditedFile();
    void corruptFile_data();
    void corruptFile();
    void unwritableFolder();
    void unreadableFile();
    void lockOfADeadProgramIsTakenOver();
    void twoProgramsWritingAtOnce();
};

void TestRegistryStore::fileFormat()
{
    QTemporaryDir dir;
    RegObject reg(dir.path());
    reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("WindowState"), 0);
    reg.RegWrite(RegObject::CurrentUser, Key, QString(), QStringLiteral("default"));
    reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("Count"), 10, 4);
    reg.RegWrite(RegObject::CurrentUser, Key + QStringLiteral(" b"), QStringLiteral("x"), 1);
    reg.RegCreateKey(RegObject::CurrentUser, Key + QStringLiteral("\\A"));
    QCOMPARE(reg.LastError(), QString());
    QCOMPARE(readFile(reg.store().filePath(RegObject::CurrentUser)),
             QByteArray("Windows Registry Editor Version 5.00\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\SOFTWARE]\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel]\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Orvel Logger]\n"
                        "\"WindowState\"=\"0\"\n"
                        "@=\"default\"\n"
                        "\"Count\"=dword:0000000a\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Orvel Logger\\A]\n"
                        "\n"
                        "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Orvel Logger b]\n"
                        "\"x\"=\"1\"\n"
                        "\n"));
    QVERIFY(
        QFileInfo(dir.filePath(QStringLiteral("Orvel/registry/HKEY_CURRENT_USER.reg"))).isFile());
    // No lock or temporary file stays behind.
    QCOMPARE(QDir(reg.store().folder()).entryList(QDir::Files),
             QStringList{QStringLiteral("HKEY_CURRENT_USER.reg")});
}

void TestRegistryStore::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("type");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("readBack");
    QTest::addColumn<QString>("line");
    const QString multi = QStringLiteral("a") + QChar(0) + u"b"_qs + QChar(0);
    const QByteArray bytes("\0\x01\xff", 3);
    QTest::newRow("text with quotes and backslashes")
        << "t" << 1 << QVariant(u"He said \"hi\" in C:\\Logs\\"_qs)
        << QVariant(u"He said \"hi\" in C:\\Logs\\"_qs) << R"("t"="He said \"hi\" in C:\\Logs\\")";
    QTest::newRow("unicode text") << "t" << 1 << QVariant(u"Grüße µm³"_qs)
                                  << QVariant(u"Grüße µm³"_qs) << "\"t\"=\"Grüße µm³\"";
    QTest::newRow("text with a line break")
        << "t" << 1 << QVariant(u"a\r\nb"_qs) << QVariant(u"a\r\nb"_qs)
        << "\"t\"=hex(1):61,0d,0a,62,00";
    QTest::newRow("text with a NUL")
        << "t" << 1 << QVariant(u"a"_qs + QChar(0) + u"b"_qs)
        << QVariant(u"a"_qs + QChar(0) + u"b"_qs) << "\"t\"=hex(1):61,00,62,00";
    QTest::newRow("unnamed value")
        << "" << 1 << QVariant(u"x"_qs) << QVariant(u"x"_qs) << "@=\"x\"";
    QTest::newRow("odd name") << "a\"b\\c]" << 1 << QVariant(u"x"_qs) << QVariant(u"x"_qs)
                              << R"("a\"b\\c]"="x")";
    QTest::newRow("expandable text")
        << "e" << 2 << QVariant(u"%ORVEL_RT%/x"_qs) << QVariant(u"/srv/x"_qs)
        << "\"e\"=hex(2):25,4f,52,56,45,4c,5f,52,54,25,2f,78,00";
    QTest::newRow("dword") << "d" << 4 << QVariant(10) << QVariant(10) << "\"d\"=dword:0000000a";
    QTest::newRow("negative dword")
        << "d" << 4 << QVariant(-1) << QVariant(-1) << "\"d\"=dword:ffffffff";
    QTest::newRow("big-endian dword")
        << "d" << 5 << QVariant(10) << QVariant(10) << "\"d\"=hex(5):00,00,00,0a";
    QTest::newRow("multi-string") << "m" << 7 << QVariant(multi) << QVariant(multi)
                                  << "\"m\"=hex(7):61,00,62,00,00";
    QTest::newRow("binary") << "b" << 3 << QVariant(bytes) << QVariant(bytes)
                            << "\"b\"=hex:00,01,ff";
    QTest::newRow("empty binary of another type")
        << "q" << 11 << QVariant(QByteArray()) << QVariant(QByteArray()) << "\"q\"=hex(b):";
}

void TestRegistryStore::roundTrip()
{
    QFETCH(QString, name);
    QFETCH(int, type);
    QFETCH(QVariant, value);
    QFETCH(QVariant, readBack);
    QFETCH(QString, line);
    qputenv("ORVEL_RT", "/srv");
    QTemporaryDir dir;
    {
        RegObject writer(dir.path());
        writer.RegWrite(RegObject::CurrentUser, Key, name, value, type);
        QCOMPARE(writer.LastError(), QString());
    }
    const QString path = RegObject(dir.path()).store().filePath(RegObject::CurrentUser);
    const QByteArray text = readFile(path);
    QVERIFY2(text.contains('\n' + line.toUtf8() + '\n'), text.constData());

    RegObject reader(dir.path());
    QCOMPARE(reader.RegRead(RegObject::CurrentUser, Key, name), readBack);
    QCOMPARE(reader.LastError(), QString());

    // The file reads back into the same file.
    RegistryFile file(QStringLiteral("HKEY_CURRENT_USER"));
    QString error;
    QVERIFY2(file.parse(text, &error), qPrintable(error));
    QCOMPARE(file.serialise(), text);
}

void TestRegistryStore::longByteListsWrap()
{
    QTemporaryDir dir;
    RegObject reg(dir.path());
    QByteArray bytes;
    for (int i = 0; i < 300; ++i)
        bytes.append(char(i));
    reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("Blob"), bytes, 3);
    const QByteArray text = readFile(reg.store().filePath(RegObject::CurrentUser));
    const QList<QByteArray> lines = text.split('\n');
    QVERIFY(lines.size() > 10);
    for (const QByteArray &line : lines)
        QVERIFY2(line.size() <= 80, line.constData());
    QCOMPARE(RegObject(dir.path()).RegRead(RegObject::CurrentUser, Key, QStringLiteral("Blob")),
             QVariant(bytes));
}

void TestRegistryStore::readsHandEditedFile()
{
    QTemporaryDir dir;
    RegObject reg(dir.path());
    QVERIFY(writeFile(reg.store().filePath(RegObject::CurrentUser),
                      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                      "\r\n"
                      "; kept by hand\r\n"
                      "[HKEY_CURRENT_USER\\software\\orvel\\ORVEL LOGGER]\r\n"
                      "\"Path\"=hex(1):61,\\\r\n"
                      "  62,00\r\n"
                      "\"Count\"=dword:0000000A\r\n"
                      "\"LogPath\"=\"/home/me/logs\"\r\n"
                      "\"LogPath\"=\"/home/me/later\"\r\n"));
    QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, QStringLiteral("path")),
             QVariant(QStringLiteral("ab")));
    QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, QStringLiteral("Count")), QVariant(10));
    QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, QStringLiteral("LogPath")),
             QVariant(QStringLiteral("/home/me/later")));
    QCOMPARE(reg.LastError(), QString());
    QCOMPARE(reg.RegValueNames(RegObject::CurrentUser, Key),
             (QStringList{u"Path"_qs, u"Count"_qs, u"LogPath"_qs}));
}

void TestRegistryStore::corruptFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("fault");
    const QByteArray head = "Windows Registry Editor Version 5.00\n\n";
    const QByteArray key = "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Orvel Logger]\n";
    QTest::newRow("other first line") << QByteArray("REGEDIT4\n\n" + key) << "line 1:";
    QTest::newRow("value before any key") << head + "\"a\"=\"b\"\n"
                                          << "line 3:";
    QTest::newRow("bad dword") << head + key + "\"a\"=\"1\"\n\"b\"=dword:xyz\n"
                               << "line 5:";
    QTest::newRow("quote not closed") << head + key + "\"a\"=\"b\n"
                                      << "line 4:";
    QTest::newRow("bad hex byte") << head + key + "\"a\"=hex:01,1g\n"
                                  << "line 4:";
    QTest::newRow("unknown data") << head + key + "\"a\"=qword:1\n"
                                  << "line 4:";
    QTest::newRow("other root") << head + "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
                                << "line 3:";
    QTest::newRow("key removal") << head + "[-HKEY_CURRENT_USER\\SOFTWARE]\n"
                                 << "line 3:";
    QTest::newRow("bracket not closed") << head + "[HKEY_CURRENT_USER\\SOFTWARE\n"
                                        << "line 3:";
    QTest::newRow("stray text") << head + key + "WindowState=0\n"
                                << "line 4:";
    QTest::newRow("UTF-16 export") << QByteArray("\xff\xfeW\0i\0n\0", 8) << "not UTF-8";
    QTest::newRow("cut off in a wrapped byte list") << head + key + "\"a\"=hex:01,02,\\\n  03,"
                                                    << "line 4:";
    QTest::newRow("cut off in the first line") << QByteArray("Windows Registry Ed") << "line 1:";
    QTest::newRow("binary garbage") << QByteArray("\x7f"
                                                  "ELF\x02\x01\x01\0\0\0\x03\0>\0",
                                                  14)
                                    << "line 1:";
}

void TestRegistryStore::corruptFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, fault);
    QTemporaryDir dir;
    RegObject reg(dir.path());
    const QString path = reg.store().filePath(RegObject::CurrentUser);
    QVERIFY(writeFile(path, content));

    // Reads give their defaults and say what is wrong.
    QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, QStringLiteral("a"), 42), QVariant(42));
    const QString error = reg.LastError();
    QVERIFY2(error.startsWith(QStringLiteral("The registry is corrupted. ") + path),
             qPrintable(error));
    QVERIFY2(error.contains(fault), qPrintable(error));
    QVERIFY(!reg.RegKeyExists(RegObject::CurrentUser, Key));
    QCOMPARE(reg.LastError(), error);

    // Changes that change nothing leave the file alone.
    reg.RegDelValue(RegObject::CurrentUser, Key, QStringLiteral("a"));
    QCOMPARE(reg.LastError(), error);
    reg.RegDelKey(RegObject::CurrentUser, Key);
    QCOMPARE(reg.LastError(), error);
    QCOMPARE(readFile(path), content);
    QVERIFY(!QFileInfo::exists(path + QStringLiteral(".bad")));

    // The first write keeps the damaged file beside the new one.
    reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("WindowState"), 2);
    QCOMPARE(reg.LastError(), QString());
    QCOMPARE(readFile(path + QStringLiteral(".bad")), content);
    QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, QStringLiteral("WindowState")),
             QVariant(QStringLiteral("2")));
    QCOMPARE(reg.LastError(), QString());

    // A second damaged file does not replace the first copy.
    QVERIFY(writeFile(path, content + "\n"));
    reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("WindowState"), 0);
    QCOMPARE(reg.LastError(), QString());
    QCOMPARE(readFile(path + QStringLiteral(".bad")), content);
    QCOMPARE(readFile(path + QStringLiteral(".bad.1")), content + "\n");
}

void TestRegistryStore::unwritableFolder()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("file")), "x"));
    const QString folder = dir.filePath(QStringLiteral("file/config"));
    RegObject reg(folder);

    reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("WindowState"), 2);
    QVERIFY2(reg.LastError().startsWith(QStringLiteral(
                 "An I/O operation initiated by the registry failed unrecoverably.")),
             qPrintable(reg.LastError()));
    QVERIFY2(reg.LastError().contains(folder), qPrintable(reg.LastError()));
    reg.RegCreateKey(RegObject::CurrentUser, Key);
    QVERIFY(reg.LastError().startsWith(QStringLiteral("An I/O operation")));

    // Reads find nothing and give their defaults.
    QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, QStringLiteral("WindowState"), 0),
             QVariant(0));
    QCOMPARE(reg.LastError(), QStringLiteral("The system cannot find the file specified."));

    reg.setRaiseWriteError(true);
    try {
        reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("WindowState"), 2);
        QFAIL("no failure raised");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), RegObject::ValueError);
        QCOMPARE(failure.source(), QStringLiteral("RegObject.RegWrite"));
        QCOMPARE(failure.description(), reg.LastError());
    }
    QCOMPARE(readFile(dir.filePath(QStringLiteral("file"))), QByteArray("x"));
}

void TestRegistryStore::unreadableFile()
{
    QTemporaryDir dir;
    RegObject reg(dir.path());
    const QString path = reg.store().filePath(RegObject::CurrentUser);
    // A folder where the file should be: it cannot be read, so it must not be replaced.
    QVERIFY(QDir().mkpath(path));
    QVERIFY(writeFile(path + QStringLiteral("/inside"), "keep"));
    QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, QStringLiteral("x"), 1), QVariant(1));
    QVERIFY2(reg.LastError().startsWith(QStringLiteral("An I/O operation")),
             qPrintable(reg.LastError()));
    reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("x"), 2);
    QVERIFY2(reg.LastError().startsWith(QStringLiteral("An I/O operation")),
             qPrintable(reg.LastError()));
    QCOMPARE(readFile(path + QStringLiteral("/inside")), QByteArray("keep"));
}

void TestRegistryStore::lockOfADeadProgramIsTakenOver()
{
    QTemporaryDir dir;
    RegObject reg(dir.path());
    const QString path = reg.store().filePath(RegObject::CurrentUser);
    // What a program that crashed while writing leaves behind: its lock and a partial new file.
    QVERIFY(writeFile(path + QStringLiteral(".lock"),
                      "2147483000\norvel-logger\n" + QSysInfo::machineHostName().toUtf8() + '\n'));
    QVERIFY(writeFile(path + QStringLiteral(".XyZ123"), "Windows Registry Ed"));
    reg.RegWrite(RegObject::CurrentUser, Key, QStringLiteral("x"), 1);
    QCOMPARE(reg.LastError(), QString());
    QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, QStringLiteral("x")),
             QVariant(QStringLiteral("1")));
}

void TestRegistryStore::twoProgramsWritingAtOnce()
{
    QTemporaryDir dir;
    constexpr int Count = 200;
    QProcess first;
    QProcess second;
    first.start(QStringLiteral(ORVEL_REGOBJECT_WRITER),
                {dir.path(), QStringLiteral("first"), QString::number(Count)});
    second.start(QStringLiteral(ORVEL_REGOBJECT_WRITER),
                 {dir.path(), QStringLiteral("second"), QString::number(Count)});
    // Both are ready before either starts, so their writes overlap.
    QTRY_VERIFY_WITH_TIMEOUT(first.canReadLine(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(second.canReadLine(), 10000);
    QCOMPARE(first.readLine(), QByteArray("ready\n"));
    QCOMPARE(second.readLine(), QByteArray("ready\n"));
    first.write("go\n");
    second.write("go\n");
    QTRY_COMPARE_WITH_TIMEOUT(first.state(), QProcess::NotRunning, 90000);
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 90000);
    QVERIFY2(first.exitCode() == 0, first.readAllStandardError().constData());
    QVERIFY2(second.exitCode() == 0, second.readAllStandardError().constData());

    RegObject reg(dir.path());
    const QStringList names = reg.RegValueNames(RegObject::CurrentUser, Key);
    QCOMPARE(reg.LastError(), QString());
    QCOMPARE(names.size(), 2 * Count);
    for (int i = 0; i < Count; ++i) {
        for (const char *prefix : {"first", "second"}) {
            const QString name = QString::fromLatin1(prefix) + QString::number(i);
            QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, name), QVariant(QString::number(i)));
        }
    }
    QCOMPARE(QDir(reg.store().folder()).entryList(QDir::Files),
             QStringList{QStringLiteral("HKEY_CURRENT_USER.reg")});
}

QTEST_GUILESS_MAIN(TestRegistryStore)
#include "tst_registrystore.moc"
