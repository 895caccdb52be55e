#include "common/failure.h"
#include "settings/regobject.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <functional>
#include <memory>

using namespace orvel;

namespace {

const QString Key = QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger");
const QString NotFound = QStringLiteral("The system cannot find the file specified.");
const QString InvalidData = QStringLiteral("The data is invalid.");

// The type and bytes a value is stored with, straight from the store.
RegistryValue stored(const RegObject &reg, const QString &name)
{
    RegistryValue value;
    value.type = 0xffff;
    reg.store().queryValue(RegObject::CurrentUser, Key, name, &value);
    return value;
}

} // namespace

class TestRegObject : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void newInstance();
    void missingValueGivesDefault_data();
    void missingValueGivesDefault();
    void readWithoutDefault();
    void percentPromotion_data();
    void percentPromotion();
    void promotionScope();
    void emptyText();
    void textWithoutTerminatorIsUnreadable();
    void dwordConversion_data();
    void dwordConversion();
    void dwordRefusesText_data();
    void dwordRefusesText();
    void otherTypesTakeBytesOnly();
    void regWriteWithoutValueAlwaysRaises();
    void expandEnvironment_data();
    void expandEnvironment();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RegObject> m_reg;
};

void TestRegObject::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_reg = std::make_unique<RegObject>(m_dir->path());
    m_reg->setClassKey(RegObject::CurrentUser);
    m_reg->setSubKey(Key);
}

void TestRegObject::newInstance()
{
    RegObject reg(m_dir->path());
    QCOMPARE(reg.ClassKey(), 0);
    QCOMPARE(reg.SubKey(), QString());
    QCOMPARE(reg.ValueName(), QString());
    QCOMPARE(reg.ValueType(), 1);
    QVERIFY(!reg.Default().isValid());
    QCOMPARE(reg.LastError(), QString());
    QVERIFY(!reg.RaiseWriteError());
    QVERIFY(!reg.RaiseAllErrors());
    QCOMPARE(reg.store().filePath(RegObject::CurrentUser),
             m_dir->filePath(QStringLiteral("Orvel/registry/HKEY_CURRENT_USER.reg")));
    // With no root key there is nothing to read.
    QCOMPARE(reg.RegRead(-1, Key, QStringLiteral("x"), 5), QVariant(5));
    QCOMPARE(reg.LastError(), QStringLiteral("The handle is invalid."));
}

void TestRegObject::missingValueGivesDefault_data()
{
    QTest::addColumn<bool>("keyExists");
    QTest::newRow("no store file") << false;
    QTest::newRow("key without the value") << true;
}

void TestRegObject::missingValueGivesDefault()
{
    QFETCH(bool, keyExists);
    if (keyExists)
        m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("Other"), 1);
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("WindowState"), 7),
             QVariant(7));
    QCOMPARE(m_reg->LastError(), NotFound);
    QVERIFY(!QFileInfo::exists(m_reg->store().filePath(RegObject::ClassesRoot)));

    // A later successful call clears it.
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("WindowState"), 2);
    QCOMPARE(m_reg->LastError(), QString());
    m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("Nope"), 0);
    QCOMPARE(m_reg->LastError(), NotFound);
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("WindowState"), 7),
             QVariant(QStringLiteral("2")));
    QCOMPARE(m_reg->LastError(), QString());
}

void TestRegObject::readWithoutDefault()
{
    // Omitted: Missing comes back.
    QVERIFY(RegObject::isMissing(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("x"))));
    // An explicit Empty: the Default property comes back.
    m_reg->setDefault(QStringLiteral("property"));
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("x"), QVariant()),
             QVariant(QStringLiteral("property")));
    QCOMPARE(m_reg->LastError(), NotFound);
    // Neither: Empty.
    m_reg->setDefault(QVariant());
    QVERIFY(!m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("x"), QVariant()).isValid());
}

void TestRegObject::percentPromotion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<quint32>("type");
    QTest::newRow("reference") << "%TEMP%\\x" << 2u;
    QTest::newRow("one-letter reference") << "%a%" << 2u;
    QTest::newRow("three percent signs") << "%%%" << 2u;
    QTest::newRow("one percent sign") << "100%" << 1u;
    QTest::newRow("adjacent percent signs") << "50%% off" << 1u;
    QTest::newRow("no percent sign") << "C:\\Logs" << 1u;
}

void TestRegObject::percentPromotion()
{
    QFETCH(QString, text);
    QFETCH(quint32, type);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("v"), text, 1);
    QCOMPARE(m_reg->LastError(), QString());
    QCOMPARE(stored(*m_reg, QStringLiteral("v")).type, type);
}

void TestRegObject::promotionScope()
{
    // Through RegWrite the promotion lasts for the one write.
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("a"), QStringLiteral("%HOME%\\x"));
    QCOMPARE(m_reg->ValueType(), 1);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("b"), QStringLiteral("plain"));
    QCOMPARE(stored(*m_reg, QStringLiteral("b")).type, 1u);

    // Through the property it stays, and the next plain text is written as type 2 too.
    m_reg->setValueName(QStringLiteral("c"));
    m_reg->setValue(QStringLiteral("%HOME%\\x"));
    QCOMPARE(m_reg->ValueType(), 2);
    m_reg->setValueName(QStringLiteral("d"));
    m_reg->setValue(QStringLiteral("plain"));
    QCOMPARE(stored(*m_reg, QStringLiteral("d")).type, 2u);

    // A multi-string keeps its type: an expansion would cut it at its first item.
    const QString items = QStringLiteral("%A%") + QChar(0) + QStringLiteral("%B%") + QChar(0);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("m"), items, 7);
    QCOMPARE(stored(*m_reg, QStringLiteral("m")).type, 7u);
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("m")), QVariant(items));
}

void TestRegObject::emptyText()
{
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("e"), QString());
    QCOMPARE(stored(*m_reg, QStringLiteral("e")).data, QByteArray(1, '\0'));
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("e"), 9), QVariant(QString()));
    QCOMPARE(m_reg->LastError(), QString());
    // Empty converts to the empty text too.
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("f"), QVariant());
    QCOMPARE(stored(*m_reg, QStringLiteral("f")).data, QByteArray(1, '\0'));
}

void TestRegObject::textWithoutTerminatorIsUnreadable()
{
    const QString file = m_reg->store().filePath(RegObject::CurrentUser);
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write("Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Orvel\\Orvel Logger]\n"
              "\"Bare\"=hex(1):\n"
              "\"Short\"=hex(1):41\n");
    out.close();
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("Bare"), 3), QVariant(3));
    QCOMPARE(m_reg->LastError(), InvalidData);
    // One byte: the byte is taken for the terminator.
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("Short"), 3),
             QVariant(QString()));
}

void TestRegObject::dwordConversion_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("readBack");
    QTest::newRow("int") << QVariant(10) << 4 << QByteArray("\x0a\0\0\0", 4) << 10;
    QTest::newRow("negative") << QVariant(-2) << 4 << QByteArray("\xfe\xff\xff\xff", 4) << -2;
    QTest::newRow("true") << QVariant(true) << 4 << QByteArray("\xff\xff\xff\xff", 4) << -1;
    QTest::newRow("false") << QVariant(false) << 4 << QByteArray(4, '\0') << 0;
    QTest::newRow("half to even down") << QVariant(2.5) << 4 << QByteArray("\2\0\0\0", 4) << 2;
    QTest::newRow("half to even up") << QVariant(3.5) << 4 << QByteArray("\4\0\0\0", 4) << 4;
    QTest::newRow("negative half")
        << QVariant(-2.5) << 4 << QByteArray("\xfe\xff\xff\xff", 4) << -2;
    QTest::newRow("single") << QVariant(7.6f) << 4 << QByteArray("\x08\0\0\0", 4) << 8;
    QTest::newRow("short") << QVariant::fromValue(qint16(300)) << 4 << QByteArray("\x2c\1\0\0", 4)
                           << 300;
    QTest::newRow("byte") << QVariant::fromValue(quint8(255)) << 4 << QByteArray("\xff\0\0\0", 4)
                          << 255;
    QTest::newRow("date") << QVariant(QDateTime(QDate(2026, 12, 5), QTime(18, 0))) << 4
                          << QByteArray("\x1a\xb5\0\0", 4) << 46362;
    QTest::newRow("big-endian") << QVariant(0x01020304) << 5 << QByteArray("\1\2\3\4", 4)
                                << 0x01020304;
}

void TestRegObject::dwordConversion()
{
    QFETCH(QVariant, value);
    QFETCH(int, type);
    QFETCH(QByteArray, bytes);
    QFETCH(int, readBack);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("n"), value, type);
    QCOMPARE(m_reg->LastError(), QString());
    const RegistryValue raw = stored(*m_reg, QStringLiteral("n"));
    QCOMPARE(raw.type, quint32(type));
    QCOMPARE(raw.data, bytes);
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("n")), QVariant(readBack));
}

void TestRegObject::dwordRefusesText_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("type");
    QTest::newRow("digits as dword") << QVariant(QStringLiteral("123")) << 4;
    QTest::newRow("digits as big-endian dword") << QVariant(QStringLiteral("123")) << 5;
    QTest::newRow("word as dword") << QVariant(QStringLiteral("abc")) << 4;
    QTest::newRow("bytes as dword") << QVariant(QByteArray("\1\2\3\4")) << 4;
    QTest::newRow("beyond 32 bits") << QVariant(3.0e9) << 4;
    QTest::newRow("unsigned beyond 32 bits") << QVariant(0x80000000u) << 4;
    QTest::newRow("not a number") << QVariant(std::nan("")) << 5;
}

void TestRegObject::dwordRefusesText()
{
    QFETCH(QVariant, value);
    QFETCH(int, type);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("old"), 1);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("n"), value, type);
    QCOMPARE(m_reg->LastError(), InvalidData);
    QCOMPARE(stored(*m_reg, QStringLiteral("n")).type, 0xffffu);
    QCOMPARE(m_reg->RegValueNames(), QStringList{QStringLiteral("old")});

    // The refused value creates no key either.
    m_reg->RegWrite(-1, QStringLiteral("SOFTWARE\\Fresh"), QStringLiteral("n"), value, type);
    QVERIFY(!m_reg->RegKeyExists(-1, QStringLiteral("SOFTWARE\\Fresh")));

    m_reg->setRaiseWriteError(true);
    try {
        m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("n"), value, type);
        QFAIL("no failure raised");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), RegObject::ValueError);
        QCOMPARE(failure.source(), QStringLiteral("RegObject.RegWrite"));
        QCOMPARE(failure.description(), InvalidData);
    }
}

void TestRegObject::otherTypesTakeBytesOnly()
{
    const QByteArray bytes("\0\1\xfe", 3);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("bin"), bytes, 3);
    QCOMPARE(m_reg->LastError(), QString());
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("bin")), QVariant(bytes));
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("bin"), QStringLiteral("text"), 3);
    QCOMPARE(m_reg->LastError(), InvalidData);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("bin"), bytes, -5);
    QCOMPARE(m_reg->LastError(), InvalidData);
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("bin")), QVariant(bytes));
}

void TestRegObject::regWriteWithoutValueAlwaysRaises()
{
    m_reg->setValueName(QStringLiteral("kept"));
    try {
        m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("v"));
        QFAIL("no failure raised");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), RegObject::ValueError);
        QCOMPARE(failure.source(), QStringLiteral("RegObject.RegWrite"));
        QCOMPARE(failure.description(),
                 QStringLiteral("Value is a required RegObject.RegWrite argument."));
    }
    QCOMPARE(m_reg->LastError(),
             QStringLiteral("Value is a required RegObject.RegWrite argument."));
    QCOMPARE(m_reg->ValueName(), QStringLiteral("kept"));
    QVERIFY(!QFileInfo::exists(m_reg->store().filePath(RegObject::CurrentUser)));
}

void TestRegObject::expandEnvironment_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expanded");
    QTest::newRow("defined") << "%ORVEL_TEST_DIR%\\x"
                             << "/data/logs\\x";
    QTest::newRow("twice") << "%ORVEL_TEST_DIR%%ORVEL_TEST_DIR%"
                           << "/data/logs/data/logs";
    QTest::newRow("defined empty") << "a%ORVEL_TEST_EMPTY%b"
                                   << "ab";
    QTest::newRow("undefined stays") << "%ORVEL_TEST_UNSET%\\x"
                                     << "%ORVEL_TEST_UNSET%\\x";
    QTest::newRow("undefined before defined") << "%NOPE%ORVEL_TEST_DIR%"
                                              << "%NOPE/data/logs";
    QTest::newRow("cut at NUL") << QStringLiteral("%ORVEL_TEST_DIR%") + QChar(0) + u"%x%"_qs
                                << "/data/logs";
}

void TestRegObject::expandEnvironment()
{
    QFETCH(QString, text);
    QFETCH(QString, expanded);
    qputenv("ORVEL_TEST_DIR", "/data/logs");
    qputenv("ORVEL_TEST_EMPTY", "");
    qunsetenv("ORVEL_TEST_UNSET");
    qunsetenv("NOPE");
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("p"), text, 2);
    QCOMPARE(stored(*m_reg, QStringLiteral("p")).data, text.toUtf8() + '\0');
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("p")), QVariant(expanded));
}

QTEST_GUILESS_MAIN(TestRegObject)
#include "tst_regobject.moc"
