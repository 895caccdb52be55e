// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/failure.h"
#include "settings/registryfile.h"
#include "settings/registrytext.h"
#include "settings/regobject.h"
#include "testsupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <cmath>
#include <functional>
#include <memory>

using namespace orvel;

namespace {

const QString Key = QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger");
const QString Other = QStringLiteral("SOFTWARE\\Other");
const QString MissingKey = QStringLiteral("SOFTWARE\\Missing\\Deep");
const QString NotFound = QStringLiteral("The system cannot find the file specified.");
const QString InvalidData = QStringLiteral("The data is invalid.");
const QString BadHandle = QStringLiteral("The handle is invalid.");
const QString NoValue = QStringLiteral("Value is a required RegObject.RegWrite argument.");
const QString IoError =
    QStringLiteral("An I/O operation initiated by the registry failed unrecoverably.");

using test::fileBytes;
using test::writeFile;

using Call = std::function<void(RegObject &)>;

// Which switch settings make an operation raise.
enum Switches { Off = 1, WriteError = 2, All = 4 };

} // namespace

// RegObject, the program's access to its settings, and the files it keeps them in.
class TestRegistry : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RegObject> m_reg;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_reg = std::make_unique<RegObject>(m_dir->path());
        m_reg->RegWrite(RegObject::CurrentUser, Other, QStringLiteral("v"), 1);
        m_reg->setClassKey(RegObject::CurrentUser);
        m_reg->setSubKey(Key);
    }

    // Every operation under each switch setting: what it raises (number, source, LastError),
    // and for the Reg-prefixed ones that the properties are back afterwards, raised or not.
    void operations_data()
    {
        QTest::addColumn<Call>("call");
        QTest::addColumn<int>("raisedBy");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("error");
        const int keyError = RegObject::KeyError;
        const int valueError = RegObject::ValueError;
        const QString v = QStringLiteral("v");
        // Each starts at a missing SubKey; the label's first word is the source of its failure.
        const QList<std::tuple<const char *, Call, int, int, QString>> rows = {
            {"KeyExists", &RegObject::KeyExists, All, keyError, NotFound},
            {"CreateKey", [](RegObject &r) { r.setClassKey(0), r.CreateKey(); }, All, keyError,
             BadHandle},
            {"DeleteKey", &RegObject::DeleteKey, All, keyError, NotFound},
            {"DeleteValue", &RegObject::DeleteValue, All, keyError, NotFound},
            {"Get_Value", &RegObject::Value, All, valueError, NotFound},
            {"Let_Value", [](RegObject &r) { r.setValueType(4), r.setValue(u"x"_qs); },
             WriteError | All, valueError, InvalidData},
            {"KeyNames", &RegObject::KeyNames_dont_use, All, RegObject::KeyNamesError, NotFound},
            {"ValueNames", &RegObject::ValueNames, All, RegObject::ValueNamesError, NotFound},
            {"RegRead found", [=](RegObject &r) { r.RegRead(RegObject::CurrentUser, Other, v, 1); },
             0, 0, QString()},
            {"RegRead missing, default", [=](RegObject &r) { r.RegRead(-1, Key, v, 4); }, 0, 0,
             NotFound},
            {"RegRead missing, Empty", [=](RegObject &r) { r.RegRead(0, Key, v, {}); }, All,
             valueError, BadHandle},
            {"RegWrite text",
             [=](RegObject &r) { r.RegWrite(RegObject::ClassesRoot, Other, v, 1, 2); }, 0, 0,
             QString()},
            {"RegWrite refused", [=](RegObject &r) { r.RegWrite(-1, Other, v, u"x"_qs, 4); },
             WriteError | All, valueError, InvalidData},
            {"RegWrite without value", [=](RegObject &r) { r.RegWrite(-1, Other, v); },
             Off | WriteError | All, valueError, NoValue},
            {"RegKeyExists", [](RegObject &r) { r.RegKeyExists(RegObject::CurrentUser, Key); }, All,
             valueError, NotFound},
            {"RegCreateKey", [](RegObject &r) { r.RegCreateKey(0, Other); }, All, valueError,
             BadHandle},
            {"RegDelValue", [=](RegObject &r) { r.RegDelValue(RegObject::CurrentUser, Other, v); },
             0, 0, QString()},
        };
        for (const auto &[label, call, raisedBy, number, error] : rows) {
            const QString source = "RegObject." + QString::fromLatin1(label).section(u' ', 0, 0);
            for (const int switches : {Off, WriteError, All}) {
                const char *name = switches == Off ? "off" : switches == All ? "all" : "write";
                QTest::addRow("%s, %s", label, name)
                    << call << (raisedBy & switches ? switches : 0) << number << source << error;
            }
        }
    }

    void operations()
    {
        QFETCH(Call, call);
        QFETCH(int, raisedBy);
        QFETCH(int, number);
        QFETCH(QString, source);
        QFETCH(QString, error);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        m_reg->setRaiseWriteError(tag.endsWith(u"write"));
        m_reg->setRaiseAllErrors(tag.endsWith(u"all"));
        m_reg->setSubKey(MissingKey);
        m_reg->setValueName(QStringLiteral("name"));
        m_reg->setValueType(5);
        try {
            call(*m_reg);
            QVERIFY2(!raisedBy, "no failure raised");
        } catch (const Failure &failure) {
            QVERIFY(raisedBy);
            QCOMPARE(failure.number(), number);
            QCOMPARE(failure.source(), source);
            QCOMPARE(failure.description(), error);
        }
        QCOMPARE(m_reg->LastError(), error);
        if (tag.startsWith(u"Reg")) {
            QCOMPARE(m_reg->ClassKey(), RegObject::CurrentUser);
            QCOMPARE(m_reg->SubKey(), MissingKey);
            QCOMPARE(m_reg->ValueName(), QStringLiteral("name"));
            QCOMPARE(m_reg->ValueType(), 5);
            QVERIFY(!m_reg->Default().isValid());
        }
    }

    void switchesAndDefaults()
    {
        m_reg->setRaiseAllErrors(true);
        m_reg->setRaiseWriteError(true);
        QVERIFY(!m_reg->RaiseAllErrors());
        m_reg->setRaiseAllErrors(true);
        QVERIFY(m_reg->RaiseWriteError());

        // Omitted default: Missing; explicit Empty: the Default property, else Empty.
        m_reg->setRaiseAllErrors(false);
        const QString x = QStringLiteral("x");
        QVERIFY(RegObject::isMissing(m_reg->RegRead(-1, RegObject::NotPassed, x)));
        m_reg->setDefault(QStringLiteral("property"));
        QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, x, QVariant()), QVariant(u"property"_qs));
        QCOMPARE(m_reg->LastError(), NotFound);
        m_reg->setDefault(QVariant());
        QVERIFY(!m_reg->RegRead(-1, RegObject::NotPassed, x, QVariant()).isValid());
    }

    void promotionScope()
    {
        // Through RegWrite the promotion lasts for the one write.
        m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("a"), u"%HOME%\\x"_qs);
        QCOMPARE(m_reg->ValueType(), 1);

        // Through the property it stays, and the next plain text is written as type 2 too.
        m_reg->setValueName(QStringLiteral("c"));
        m_reg->setValue(u"%HOME%\\x"_qs);
        QCOMPARE(m_reg->ValueType(), 2);
        m_reg->setValueName(QStringLiteral("d"));
        m_reg->setValue(u"plain"_qs);
        const QByteArray text = fileBytes(m_reg->store().filePath(RegObject::CurrentUser));
        QVERIFY2(text.contains("\n\"d\"=hex(2):70,6c,61,69,6e,00\n"), text.constData());
    }

    // A value the type cannot take: refused with "invalid data", nothing stored or created.
    void refusedValues_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("type");
        QTest::newRow("digits as dword") << QVariant(u"123"_qs) << 4;
        QTest::newRow("beyond 32 bits") << QVariant(3.0e9) << 4;
        QTest::newRow("not a number") << QVariant(std::nan("")) << 5;
        QTest::newRow("text as binary") << QVariant(u"text"_qs) << 3;
        QTest::newRow("negative type") << QVariant(QByteArray("\1")) << -5;
        QTest::newRow("Missing as text") << RegObject::missing() << 1;
    }

    void refusedValues()
    {
        QFETCH(QVariant, value);
        QFETCH(int, type);
        const QString n = QStringLiteral("n");
        m_reg->RegWrite(-1, RegObject::NotPassed, n, 1);
        m_reg->setValueName(n);
        m_reg->setValueType(type);
        m_reg->setValue(value);
        QCOMPARE(m_reg->LastError(), InvalidData);
        QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, n), QVariant(u"1"_qs));
        m_reg->setSubKey(QStringLiteral("SOFTWARE\\Fresh"));
        m_reg->setValue(value);
        QVERIFY(!m_reg->KeyExists());
    }

    void enumeration()
    {
        for (const char *key : {"\\b", "\\A", "\\A\\deeper", " b"})
            m_reg->RegCreateKey(-1, Key + QString::fromLatin1(key));
        for (const char *name : {"Zeta", "alpha", "", "Mid"})
            m_reg->RegWrite(-1, RegObject::NotPassed, QString::fromLatin1(name), 1);
        // Names match without regard to case: this rewrites "alpha".
        m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("ALPHA"), 2);

        QCOMPARE(m_reg->KeyNames_dont_use(), (QStringList{u"A"_qs, u"b"_qs}));
        QCOMPARE(m_reg->RegValueNames(-1, Key + u"\\A"_qs), QStringList());
        QCOMPARE(m_reg->LastError(), QString());
        // RegValueNames left SubKey as it was.
        QCOMPARE(m_reg->ValueNames(), (QStringList{u"Zeta"_qs, u"alpha"_qs, QString(), u"Mid"_qs}));
        QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, u"Alpha"_qs), QVariant(u"2"_qs));
        m_reg->setSubKey(QString());
        QCOMPARE(m_reg->KeyNames_dont_use(), QStringList{u"SOFTWARE"_qs});
    }

    void deletion()
    {
        m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("a"), 1);
        m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("b"), 2);
        m_reg->RegCreateKey(-1, Key + QStringLiteral("\\Child"));
        m_reg->setValueName(QStringLiteral("A"));
        QVERIFY(m_reg->DeleteValue());
        QCOMPARE(m_reg->ValueNames(), QStringList{u"b"_qs});
        QVERIFY(!m_reg->DeleteValue());

        // A key with sub-keys stays, values and all.
        QVERIFY(!m_reg->DeleteKey());
        QCOMPARE(m_reg->LastError(), QStringLiteral("Access is denied."));
        QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, u"b"_qs), QVariant(u"2"_qs));

        m_reg->RegDelKey(-1, Key + QStringLiteral("\\Child"));
        QVERIFY(m_reg->DeleteKey());
        QVERIFY(!m_reg->KeyExists());
        QVERIFY(m_reg->RegKeyExists(-1, QStringLiteral("SOFTWARE\\Orvel")));

        // Root keys cannot be deleted.
        m_reg->setSubKey(QString());
        QVERIFY(!m_reg->DeleteKey());
        QCOMPARE(m_reg->LastError(), QStringLiteral("Access is denied."));
    }

    void createExeAssociation()
    {
        m_reg->CreateEXEAssociation(u"/usr/bin/orvel-logger"_qs, u"Orvel.Log"_qs, u"Orvel Log"_qs,
                                    u"olg"_qs, 0);
        QCOMPARE(m_reg->LastError(), QString());
        const QString command = QStringLiteral("/usr/bin/orvel-logger \"%1\"");
        const QList<std::pair<QString, QString>> expected = {
            {u".olg"_qs, u"Orvel.Log"_qs},
            {u".olg\\shell\\open\\command"_qs, command},
            {u"Orvel.Log"_qs, u"Orvel Log"_qs},
            {u"Orvel.Log\\shell\\open\\command"_qs, command},
            {u"Orvel.Log\\DefaultIcon"_qs, u"/usr/bin/orvel-logger,0"_qs},
        };
        RegObject reader(m_dir->path());
        for (const auto &[key, text] : expected)
            QCOMPARE(reader.RegRead(RegObject::ClassesRoot, key, QString()), QVariant(text));
        // The properties stay as the last write left them.
        QCOMPARE(m_reg->ClassKey(), RegObject::ClassesRoot);
        QCOMPARE(m_reg->SubKey(), QStringLiteral("Orvel.Log\\DefaultIcon"));

        m_reg->CreateEXEAssociation(u"/opt/o"_qs, u"Other"_qs, u"d"_qs, u".oth"_qs);
        QVERIFY(!reader.RegKeyExists(RegObject::ClassesRoot, u"Other\\DefaultIcon"_qs));
        QVERIFY(reader.RegKeyExists(RegObject::ClassesRoot, u".oth"_qs));
    }

    void fileFormat()
    {
        m_reg->RegWrite(RegObject::CurrentUser, Key, QStringLiteral("WindowState"), 0);
        m_reg->RegWrite(RegObject::CurrentUser, Key + QStringLiteral(" b"), QStringLiteral("x"), 1);
        m_reg->RegCreateKey(RegObject::CurrentUser, Key + QStringLiteral("\\A"));
        QCOMPARE(m_reg->LastError(), QString());
        QCOMPARE(m_reg->store().filePath(RegObject::CurrentUser),
                 m_dir->filePath(u"Orvel/registry/HKEY_CURRENT_USER.reg"_qs));
        // Every key has its line, parents first and each after a blank line; SOFTWARE\Other
        // holds the value every test starts with.
        const auto key = [](const char *path) {
            return "\n[HKEY_CURRENT_USER\\SOFTWARE" + QByteArray(path) + "]\n";
        };
        QCOMPARE(fileBytes(m_reg->store().filePath(RegObject::CurrentUser)),
                 "Windows Registry Editor Version 5.00\n" + key("") + key("\\Orvel") +
                     key("\\Orvel\\Orvel Logger") + "\"WindowState\"=\"0\"\n" +
                     key("\\Orvel\\Orvel Logger\\A") + key("\\Orvel\\Orvel Logger b") +
                     "\"x\"=\"1\"\n" + key("\\Other") + "\"v\"=\"1\"\n\n");
    }

    // A value written through RegObject: the line it gets in the file (a prefix where the bytes
    // are long), what a fresh reader reads back, and that the file parses back to the same text.
    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("type");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("readBack");
        QTest::addColumn<QString>("line");
        const QByteArray bytes("\0\x01\xff", 3);
        QByteArray blob;
        for (int i = 0; i < 300; ++i)
            blob.append(char(i));
        // Named "v"; read back as written unless said otherwise.
        const auto row = [](const char *label, int type, const QVariant &value, const char *data,
                            const QVariant &readBack = {}) {
            QTest::newRow(label) << u"v"_qs << type << value
                                 << (readBack.isValid() ? readBack : value)
                                 << u"\"v\"="_qs + QString::fromUtf8(data);
        };
        const QChar nul(0);
        row("quotes and backslashes", 1, u"He said \"hi\" in C:\\Logs\\"_qs,
            "\"He said \\\"hi\\\" in C:\\\\Logs\\\\\"\n");
        row("unicode", 1, u"Grüße µm³"_qs, "\"Grüße µm³\"\n");
        row("line break", 1, u"a\r\nb"_qs, "hex(1):61,0d,0a,62,00\n");
        row("NUL inside", 1, u"a"_qs + nul + u"b"_qs, "hex(1):61,00,62,00\n");
        row("empty text", 1, QString(), "\"\"\n");
        row("Empty as text", 1, QVariant(), "\"\"\n", QString());
        row("one percent sign", 1, u"100%"_qs, "\"100%\"\n");
        row("adjacent percent signs", 1, u"50%% off"_qs, "\"50%% off\"\n");
        row("one-letter reference promoted", 1, u"%a%"_qs, "hex(2):25,61,25,00\n");
        row("three percent signs promoted", 1, u"%%%"_qs, "hex(2):25,25,25,00\n");
        row("multi-string not promoted", 7, u"%A%"_qs + nul + u"b"_qs + nul,
            "hex(7):25,41,25,00,62,00,00\n");
        row("expanded twice", 2, u"%ORVEL_RT%%ORVEL_RT%"_qs, "hex(2):25,4f", u"/srv/srv"_qs);
        row("expanded empty", 2, u"a%ORVEL_EMPTY%b"_qs, "hex(2):61,25", u"ab"_qs);
        row("unknown before known", 2, u"%NOPE%ORVEL_RT%"_qs, "hex(2):25,4e", u"%NOPE/srv"_qs);
        row("expansion cut at NUL", 2, u"%ORVEL_RT%"_qs + nul + u"%x%"_qs,
            "hex(2):25,4f,52,56,45,4c,5f,52,54,25,00,25,78,25,00\n", u"/srv"_qs);
        row("dword", 4, 10, "dword:0000000a\n");
        row("negative dword", 4, -2, "dword:fffffffe\n");
        row("true", 4, true, "dword:ffffffff\n", -1);
        row("half to even down", 4, 2.5, "dword:00000002\n", 2);
        row("half to even up", 4, 3.5, "dword:00000004\n", 4);
        row("single", 4, 7.6f, "dword:00000008\n", 8);
        row("short", 4, QVariant::fromValue(qint16(300)), "dword:0000012c\n", 300);
        row("byte", 4, QVariant::fromValue(quint8(255)), "dword:000000ff\n", 255);
        row("date", 4, QDateTime(QDate(2026, 12, 5), QTime(18, 0)), "dword:0000b51a\n", 46362);
        row("big-endian dword", 5, 0x01020304, "hex(5):01,02,03,04\n");
        row("binary", 3, bytes, "hex:00,01,ff\n");
        row("long binary wraps", 3, blob,
            "hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\\n  "
            "17,18,");
        row("empty binary of another type", 11, QByteArray(), "hex(b):\n");
        QTest::newRow("unnamed value")
            << "" << 1 << QVariant(u"x"_qs) << QVariant(u"x"_qs) << "@=\"x\"\n";
        QTest::newRow("odd name") << "a\"b\\c]" << 1 << QVariant(u"x"_qs) << QVariant(u"x"_qs)
                                  << "\"a\\\"b\\\\c]\"=\"x\"\n";
    }

    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(int, type);
        QFETCH(QVariant, value);
        QFETCH(QVariant, readBack);
        QFETCH(QString, line);
        qputenv("ORVEL_RT", "/srv");
        qputenv("ORVEL_EMPTY", "");
        qunsetenv("NOPE");
        qunsetenv("a");
        m_reg->RegWrite(RegObject::CurrentUser, Key, name, value, type);
        QCOMPARE(m_reg->LastError(), QString());
        RegObject reader(m_dir->path());
        const QByteArray text = fileBytes(reader.store().filePath(RegObject::CurrentUser));
        QVERIFY2(text.contains('\n' + line.toUtf8()), text.constData());
        for (const QByteArray &fileLine : text.split('\n'))
            QVERIFY2(fileLine.size() <= 80, fileLine.constData());
        QCOMPARE(reader.RegRead(RegObject::CurrentUser, Key, name), readBack);
        QCOMPARE(reader.LastError(), QString());

        RegistryFile file(QStringLiteral("HKEY_CURRENT_USER"));
        QString error;
        QVERIFY2(RegistryText::parse(text, &file, &error), qPrintable(error));
        QCOMPARE(RegistryText::serialise(file), text);
    }

    void readsHandEditedFile()
    {
        QVERIFY(writeFile(m_reg->store().filePath(RegObject::CurrentUser),
                          "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
                          "\r\n"
                          "; kept by hand\r\n"
                          "[HKEY_CURRENT_USER\\software\\orvel\\ORVEL LOGGER]\r\n"
                          "\"Path\"=hex(1):61,\\\r\n"
                          "  62,00\r\n"
                          "\"Count\"=dword:0000000A\r\n"
                          "\"LogPath\"=\"/home/me/logs\"\r\n"
                          "\"LogPath\"=\"/home/me/later\"\r\n"
                          "\"Bare\"=hex(1):\r\n"
                          "\"Short\"=hex(1):41\r\n"
                          "\"Long\"=hex(4):01,02,03,04,05\r\n"));
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"path"_qs), QVariant(u"ab"_qs));
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"Count"_qs), QVariant(10));
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"LogPath"_qs),
                 QVariant(u"/home/me/later"_qs));
        QCOMPARE(m_reg->LastError(), QString());
        QCOMPARE(m_reg->RegValueNames(RegObject::CurrentUser, Key),
                 (QStringList{u"Path"_qs, u"Count"_qs, u"LogPath"_qs, u"Bare"_qs, u"Short"_qs,
                              u"Long"_qs}));
        // A text without its terminator cannot be read; of one byte, the byte is the terminator.
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"Bare"_qs, 3), QVariant(3));
        QCOMPARE(m_reg->LastError(), QStringLiteral("The data is invalid."));
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"Short"_qs, 3), QVariant(QString()));
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"Long"_qs, 3), QVariant(3));
        QCOMPARE(m_reg->LastError(), QStringLiteral("More data is available."));
    }

    void corruptFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("fault");
        const QByteArray head = "Windows Registry Editor Version 5.00\n\n";
        const QByteArray key = "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Orvel Logger]\n";
        const QList<std::tuple<const char *, QByteArray, const char *>> rows = {
            {"other first line", "REGEDIT4\n\n" + key, "line 1:"},
            {"value before any key", head + "\"a\"=\"b\"\n", "line 3:"},
            {"bad dword", head + key + "\"a\"=\"1\"\n\"b\"=dword:xyz\n", "line 5:"},
            {"quote not closed", head + key + "\"a\"=\"b\n", "line 4:"},
            {"bad hex byte", head + key + "\"a\"=hex:01,1g\n", "line 4:"},
            {"unknown data", head + key + "\"a\"=qword:1\n", "line 4:"},
            {"other root", head + "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n", "line 3:"},
            {"key removal", head + "[-HKEY_CURRENT_USER\\SOFTWARE]\n", "line 3:"},
            {"bracket not closed", head + "[HKEY_CURRENT_USER\\SOFTWARE\n", "line 3:"},
            {"stray text", head + key + "WindowState=0\n", "line 4:"},
            {"UTF-16 export", QByteArray("\xff\xfeW\0i\0n\0", 8), "not UTF-8"},
            {"cut off in a wrapped byte list", head + key + "\"a\"=hex:01,02,\\\n  03,", "line 4:"},
        };
        for (const auto &[row, content, fault] : rows)
            QTest::newRow(row) << content << QString::fromLatin1(fault);
    }

    void corruptFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, fault);
        const QString path = m_reg->store().filePath(RegObject::CurrentUser);
        QVERIFY(writeFile(path, content));

        // Reads give their defaults and say what is wrong.
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"a"_qs, 42), QVariant(42));
        const QString error = m_reg->LastError();
        QVERIFY2(error.startsWith(QStringLiteral("The registry is corrupted. ") + path),
                 qPrintable(error));
        QVERIFY2(error.contains(fault), qPrintable(error));
        QVERIFY(!m_reg->RegKeyExists(RegObject::CurrentUser, Key));
        QCOMPARE(m_reg->LastError(), error);

        // Changes that change nothing leave the file alone.
        m_reg->RegDelValue(RegObject::CurrentUser, Key, u"a"_qs);
        QCOMPARE(m_reg->LastError(), error);
        m_reg->RegDelKey(RegObject::CurrentUser, Key);
        QCOMPARE(m_reg->LastError(), error);
        QCOMPARE(fileBytes(path), content);
        QVERIFY(!QFileInfo::exists(path + u".bad"_qs));

        // The first write keeps the damaged file beside the new one.
        m_reg->RegWrite(RegObject::CurrentUser, Key, u"WindowState"_qs, 2);
        QCOMPARE(m_reg->LastError(), QString());
        QCOMPARE(fileBytes(path + u".bad"_qs), content);
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"WindowState"_qs), QVariant(u"2"_qs));
        QCOMPARE(m_reg->LastError(), QString());

        // A second damaged file does not replace the first copy.
        QVERIFY(writeFile(path, content + "\n"));
        m_reg->RegWrite(RegObject::CurrentUser, Key, u"WindowState"_qs, 0);
        QCOMPARE(m_reg->LastError(), QString());
        QCOMPARE(fileBytes(path + u".bad"_qs), content);
        QCOMPARE(fileBytes(path + u".bad.1"_qs), content + "\n");
    }

    // The folder cannot be made (a file is in its way) or the file cannot be read (a folder is
    // in its way): writes fail with an I/O error naming the place, and what is in the way stays.
    void ioFailure_data()
    {
        QTest::addColumn<bool>("folderBlocked");
        QTest::addColumn<QString>("readError");
        QTest::newRow("folder is a file") << true << NotFound;
        QTest::newRow("file is a folder") << false << IoError;
    }

    void ioFailure()
    {
        QFETCH(bool, folderBlocked);
        QFETCH(QString, readError);
        const QString blocker = m_dir->filePath(
            folderBlocked ? u"file"_qs : u"config/Orvel/registry/HKEY_CURRENT_USER.reg/inside"_qs);
        QVERIFY(writeFile(blocker, "keep"));
        const QString folder = m_dir->filePath(folderBlocked ? u"file/config"_qs : u"config"_qs);
        RegObject reg(folder);
        reg.RegWrite(RegObject::CurrentUser, Key, u"WindowState"_qs, 2);
        QVERIFY2(reg.LastError().startsWith(IoError) && reg.LastError().contains(folder),
                 qPrintable(reg.LastError()));
        reg.RegCreateKey(RegObject::CurrentUser, Key);
        QVERIFY(reg.LastError().startsWith(IoError));
        // Reads give their defaults.
        QCOMPARE(reg.RegRead(RegObject::CurrentUser, Key, u"WindowState"_qs, 0), QVariant(0));
        QVERIFY2(reg.LastError().startsWith(readError), qPrintable(reg.LastError()));
        QCOMPARE(fileBytes(blocker), QByteArray("keep"));
    }

    void lockOfADeadProgramIsTakenOver()
    {
        const QString path = m_reg->store().filePath(RegObject::CurrentUser);
        // What a program that crashed while writing leaves behind: its lock and a partial new file.
        const QByteArray host = QSysInfo::machineHostName().toUtf8();
        QVERIFY(writeFile(path + u".lock"_qs, "2147483000\norvel-logger\n" + host + '\n'));
        QVERIFY(writeFile(path + u".XyZ123"_qs, "Windows Registry Ed"));
        m_reg->RegWrite(RegObject::CurrentUser, Key, u"x"_qs, 1);
        QCOMPARE(m_reg->LastError(), QString());
        QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, u"x"_qs), QVariant(u"1"_qs));
    }

    void twoProgramsWritingAtOnce()
    {
        constexpr int Count = 200;
        const QStringList prefixes{u"first"_qs, u"second"_qs};
        QProcess writers[2];
        for (int w = 0; w < 2; ++w)
            writers[w].start(QCoreApplication::applicationFilePath(),
                             {u"--write"_qs, m_dir->path(), prefixes[w], QString::number(Count)});
        // Both are ready before either starts, so their writes overlap.
        for (QProcess &writer : writers) {
            QTRY_VERIFY_WITH_TIMEOUT(writer.canReadLine(), 10000);
            QCOMPARE(writer.readLine(), QByteArray("ready\n"));
        }
        for (QProcess &writer : writers)
            writer.write("go\n");
        for (QProcess &writer : writers) {
            QTRY_COMPARE_WITH_TIMEOUT(writer.state(), QProcess::NotRunning, 90000);
            QVERIFY2(writer.exitCode() == 0, writer.readAllStandardError().constData());
        }

        const QStringList names = m_reg->RegValueNames(RegObject::CurrentUser, Key);
        QCOMPARE(m_reg->LastError(), QString());
        QCOMPARE(names.size(), 2 * Count);
        for (int i = 0; i < Count; ++i) {
            for (const QString &prefix : prefixes) {
                const QString name = prefix + QString::number(i);
                QCOMPARE(m_reg->RegRead(RegObject::CurrentUser, Key, name),
                         QVariant(QString::number(i)));
            }
        }
        QCOMPARE(QDir(m_reg->store().folder()).entryList(QDir::Files),
                 QStringList{QStringLiteral("HKEY_CURRENT_USER.reg")});
    }
};

// The other program of twoProgramsWritingAtOnce: says "ready", waits for a line, then writes
// COUNT values PREFIX0, PREFIX1, ...; exits with 1 and the error at the first failed write.
static int writeValues(const QString &folder, const QString &prefix, int count)
{
    RegObject store(folder);
    store.setRaiseWriteError(true);
    QTextStream(stdout) << "ready" << Qt::endl;
    QTextStream(stdin).readLine();
    try {
        for (int i = 0; i < count; ++i)
            store.RegWrite(RegObject::CurrentUser, Key, prefix + QString::number(i), i);
    } catch (const Failure &failure) {
        QTextStream(stderr) << failure.description() << Qt::endl;
        return 1;
    }
    return 0;
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args.at(1) == u"--write")
        return writeValues(args.at(2), args.at(3), args.at(4).toInt());
    TestRegistry test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_registry.moc"
