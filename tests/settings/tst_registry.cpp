// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "common/failure.h"
#include "settings/regobject.h"

#include <QTemporaryDir>
#include <QTest>

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

using Call = std::function<void(RegObject &)>;

// Which switch settings make an operation raise.
enum Switches { Off = 1, WriteError = 2, All = 4 };

} // namespace

class TestRegObject : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RegObject> m_reg;

    RegistryValue stored(const QString &name) const
    {
        RegistryValue value;
        value.type = 0xffff;
        m_reg->store().queryValue(RegObject::CurrentUser, Key, name, &value);
        return value;
    }

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
        QCOMPARE(stored(QStringLiteral("d")).type, 2u);
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
};

QTEST_GUILESS_MAIN(TestRegObject)
#include "tst_regobject.moc"
