#include "common/failure.h"
#include "settings/regobject.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

using namespace orvel;

namespace {

const QString Key = QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger");
const QString NotFound = QStringLiteral("The system cannot find the file specified.");
const QString InvalidData = QStringLiteral("The data is invalid.");

} // namespace

class TestRegObjectCalls : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void propertiesRestored_data();
    void propertiesRestored();
    void raisesWithSwitches_data();
    void raisesWithSwitches();
    void raiseWriteErrorClearsRaiseAll();
    void enumeration();
    void deletion();
    void createExeAssociation();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RegObject> m_reg;
};

void TestRegObjectCalls::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_reg = std::make_unique<RegObject>(m_dir->path());
    m_reg->setClassKey(RegObject::CurrentUser);
    m_reg->setSubKey(Key);
}

using Call = std::function<void(RegObject &)>;

void TestRegObjectCalls::propertiesRestored_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<bool>("raiseAll");
    const QString other = QStringLiteral("SOFTWARE\\Other");
    const QString missingKey = QStringLiteral("SOFTWARE\\Missing\\Deep");
    const QString name = QStringLiteral("v");
    const QList<std::pair<const char *, Call>> calls = {
        {"RegRead found", [=](RegObject &r) { r.RegRead(RegObject::CurrentUser, other, name, 1); }},
        {"RegRead missing", [=](RegObject &r) { r.RegRead(0, missingKey, name, QVariant()); }},
        {"RegWrite text",
         [=](RegObject &r) { r.RegWrite(RegObject::ClassesRoot, other, name, 1, 2); }},
        {"RegWrite promoted",
         [=](RegObject &r) {
             r.RegWrite(RegObject::CurrentUser, other, name, QStringLiteral("%X%"), 1);
         }},
        {"RegWrite refused",
         [=](RegObject &r) { r.RegWrite(-1, other, name, QStringLiteral("x"), 4); }},
        {"RegKeyExists", [=](RegObject &r) { r.RegKeyExists(RegObject::CurrentUser, missingKey); }},
        {"RegCreateKey", [=](RegObject &r) { r.RegCreateKey(0, other); }},
        {"RegDelKey", [=](RegObject &r) { r.RegDelKey(RegObject::CurrentUser, missingKey); }},
        {"RegDelValue", [=](RegObject &r) { r.RegDelValue(RegObject::CurrentUser, other, name); }},
        {"RegValueNames",
         [=](RegObject &r) { r.RegValueNames(RegObject::CurrentUser, missingKey); }},
    };
    for (const auto &[label, call] : calls) {
        QTest::addRow("%s, switches off", label) << call << false;
        QTest::addRow("%s, raising", label) << call << true;
    }
}

void TestRegObjectCalls::propertiesRestored()
{
    QFETCH(Call, call);
    QFETCH(bool, raiseAll);
    m_reg->RegWrite(RegObject::CurrentUser, QStringLiteral("SOFTWARE\\Other"), QStringLiteral("v"),
                    1);
    m_reg->setValueName(QStringLiteral("name"));
    m_reg->setValueType(5);
    m_reg->setDefault(QStringLiteral("default"));
    m_reg->setRaiseAllErrors(raiseAll);
    try {
        call(*m_reg);
    } catch (const Failure &failure) {
        QVERIFY(raiseAll);
        QVERIFY(failure.source().startsWith(QStringLiteral("RegObject.Reg")));
    }
    QCOMPARE(m_reg->ClassKey(), RegObject::CurrentUser);
    QCOMPARE(m_reg->SubKey(), Key);
    QCOMPARE(m_reg->ValueName(), QStringLiteral("name"));
    QCOMPARE(m_reg->ValueType(), 5);
    QCOMPARE(m_reg->Default(), QVariant(QStringLiteral("default")));
    QCOMPARE(m_reg->RaiseAllErrors(), raiseAll);
}

void TestRegObjectCalls::raisesWithSwitches_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("description");
    const QString missingKey = QStringLiteral("SOFTWARE\\Missing");
    auto at = [=](Call call) {
        return Call([=](RegObject &r) {
            r.setSubKey(missingKey);
            call(r);
        });
    };
    QTest::newRow("KeyExists") << at([](RegObject &r) { r.KeyExists(); }) << 26001
                               << "RegObject.KeyExists" << NotFound;
    QTest::newRow("CreateKey") << Call([](RegObject &r) { r.setClassKey(0), r.CreateKey(); })
                               << 26001 << "RegObject.CreateKey"
                               << "The handle is invalid.";
    QTest::newRow("DeleteKey") << at([](RegObject &r) { r.DeleteKey(); }) << 26001
                               << "RegObject.DeleteKey" << NotFound;
    QTest::newRow("DeleteValue") << at([](RegObject &r) { r.DeleteValue(); }) << 26001
                                 << "RegObject.DeleteValue" << NotFound;
    QTest::newRow("Value get") << at([](RegObject &r) { r.Value(); }) << RegObject::ValueError
                               << "RegObject.Get_Value" << NotFound;
    QTest::newRow("Value set") << Call([](RegObject &r) { r.setValueType(4), r.setValue(u"x"_qs); })
                               << RegObject::ValueError << "RegObject.Let_Value" << InvalidData;
    QTest::newRow("KeyNames") << at([](RegObject &r) { r.KeyNames_dont_use(); })
                              << RegObject::KeyNamesError << "RegObject.KeyNames" << NotFound;
    QTest::newRow("ValueNames") << at([](RegObject &r) { r.ValueNames(); })
                                << RegObject::ValueNamesError << "RegObject.ValueNames" << NotFound;
    QTest::newRow("RegRead") << Call([=](RegObject &r) { r.RegRead(-1, missingKey, u"v"_qs, {}); })
                             << RegObject::ValueError << "RegObject.RegRead" << NotFound;
    QTest::newRow("RegDelKey") << Call([=](RegObject &r) { r.RegDelKey(-1, missingKey); })
                               << RegObject::ValueError << "RegObject.RegDelKey" << NotFound;
    QTest::newRow("RegValueNames")
        << Call([=](RegObject &r) { r.RegValueNames(-1, missingKey); }) << RegObject::ValueError
        << "RegObject.RegValueNames" << NotFound;
}

void TestRegObjectCalls::raisesWithSwitches()
{
    QFETCH(Call, call);
    QFETCH(int, number);
    QFETCH(QString, source);
    QFETCH(QString, description);
    // Switches off: nothing is raised, LastError tells.
    call(*m_reg);
    QCOMPARE(m_reg->LastError(), description);

    init();
    m_reg->setRaiseAllErrors(true);
    try {
        call(*m_reg);
        QFAIL("no failure raised");
    } catch (const Failure &failure) {
        QCOMPARE(failure.number(), number);
        QCOMPARE(failure.source(), source);
        QCOMPARE(failure.description(), description);
    }
}

void TestRegObjectCalls::raiseWriteErrorClearsRaiseAll()
{
    m_reg->setRaiseAllErrors(true);
    m_reg->setRaiseWriteError(false);
    QVERIFY(m_reg->RaiseAllErrors());
    m_reg->setRaiseWriteError(true);
    QVERIFY(!m_reg->RaiseAllErrors());
    m_reg->setRaiseAllErrors(true);
    QVERIFY(m_reg->RaiseWriteError());
    // RaiseWriteError alone leaves failed reads quiet.
    m_reg->setRaiseAllErrors(false);
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("x"), QVariant()), QVariant());
    QCOMPARE(m_reg->LastError(), NotFound);
    // A read with a default does not raise, whatever the switches.
    m_reg->setRaiseAllErrors(true);
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("x"), 4), QVariant(4));
}

void TestRegObjectCalls::enumeration()
{
    for (const char *key :
         {"SOFTWARE\\Orvel\\Orvel Logger\\b", "SOFTWARE\\Orvel\\Orvel Logger\\A",
          "SOFTWARE\\Orvel\\Orvel Logger\\A\\deeper", "SOFTWARE\\Orvel\\Orvel Logger b"})
        m_reg->RegCreateKey(-1, QString::fromLatin1(key));
    for (const char *name : {"Zeta", "alpha", "", "Mid"})
        m_reg->RegWrite(-1, RegObject::NotPassed, QString::fromLatin1(name), 1);
    // Names match without regard to case: this rewrites "alpha".
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("ALPHA"), 2);

    QCOMPARE(m_reg->KeyNames_dont_use(), (QStringList{u"A"_qs, u"b"_qs}));
    QCOMPARE(m_reg->LastError(), QString());
    QCOMPARE(m_reg->ValueNames(), (QStringList{u"Zeta"_qs, u"alpha"_qs, QString(), u"Mid"_qs}));
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("Alpha")),
             QVariant(QStringLiteral("2")));
    QCOMPARE(m_reg->RegValueNames(-1, QStringLiteral("SOFTWARE\\Orvel\\Orvel Logger\\A")),
             QStringList());
    QCOMPARE(m_reg->LastError(), QString());
    m_reg->setSubKey(QStringLiteral("SOFTWARE"));
    QCOMPARE(m_reg->KeyNames_dont_use(), QStringList{u"Orvel"_qs});
    m_reg->setSubKey(QString());
    QCOMPARE(m_reg->KeyNames_dont_use(), QStringList{u"SOFTWARE"_qs});

    // A key that is not there is not an empty key: LastError says so.
    m_reg->setSubKey(QStringLiteral("SOFTWARE\\Missing"));
    QCOMPARE(m_reg->KeyNames_dont_use(), QStringList());
    QCOMPARE(m_reg->LastError(), NotFound);
    QCOMPARE(m_reg->ValueNames(), QStringList());
    QCOMPARE(m_reg->LastError(), NotFound);
}

void TestRegObjectCalls::deletion()
{
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("a"), 1);
    m_reg->RegWrite(-1, RegObject::NotPassed, QStringLiteral("b"), 2);
    m_reg->RegCreateKey(-1, Key + QStringLiteral("\\Child"));

    m_reg->setValueName(QStringLiteral("A"));
    QVERIFY(m_reg->DeleteValue());
    QCOMPARE(m_reg->ValueNames(), QStringList{u"b"_qs});
    QVERIFY(!m_reg->DeleteValue());
    QCOMPARE(m_reg->LastError(), NotFound);

    // A key with sub-keys stays, values and all.
    QVERIFY(!m_reg->DeleteKey());
    QCOMPARE(m_reg->LastError(), QStringLiteral("Access is denied."));
    QCOMPARE(m_reg->RegRead(-1, RegObject::NotPassed, QStringLiteral("b")),
             QVariant(QStringLiteral("2")));

    m_reg->RegDelKey(-1, Key + QStringLiteral("\\Child"));
    QCOMPARE(m_reg->LastError(), QString());
    QVERIFY(m_reg->DeleteKey());
    QVERIFY(!m_reg->KeyExists());
    QCOMPARE(m_reg->LastError(), NotFound);
    QVERIFY(m_reg->RegKeyExists(-1, QStringLiteral("SOFTWARE\\Orvel")));
    QVERIFY(!m_reg->DeleteKey());
    QCOMPARE(m_reg->LastError(), NotFound);

    // Root keys cannot be deleted.
    m_reg->setSubKey(QString());
    QVERIFY(m_reg->KeyExists());
    QVERIFY(!m_reg->DeleteKey());
    QCOMPARE(m_reg->LastError(), QStringLiteral("Access is denied."));
}

void TestRegObjectCalls::createExeAssociation()
{
    m_reg->CreateEXEAssociation(QStringLiteral("/usr/bin/orvel-logger"),
                                QStringLiteral("Orvel.Log"), QStringLiteral("Orvel Log"),
                                QStringLiteral("olg"), 0);
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
    QCOMPARE(m_reg->ValueName(), QString());
    QCOMPARE(m_reg->ValueType(), 1);
    // Nothing went to the user's file.
    QVERIFY(!QFileInfo::exists(m_reg->store().filePath(RegObject::CurrentUser)));

    m_reg->CreateEXEAssociation(u"/opt/o"_qs, u"Other"_qs, u"d"_qs, u".oth"_qs);
    QVERIFY(!reader.RegKeyExists(RegObject::ClassesRoot, u"Other\\DefaultIcon"_qs));
    QVERIFY(reader.RegKeyExists(RegObject::ClassesRoot, u".oth"_qs));
}

QTEST_GUILESS_MAIN(TestRegObjectCalls)
#include "tst_regobjectcalls.moc"
