// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "settings/regobject.h"

#include "common/failure.h"
#include "settings/regvaluecodec.h"

namespace orvel {

QVariant RegObject::missing()
{
    return QVariant::fromValue(RegMissing{});
}

bool RegObject::isMissing(const QVariant &value)
{
    return value.metaType() == QMetaType::fromType<RegMissing>();
}

RegObject::RegObject(const QString &configFolder)
    : m_store(configFolder)
{}

void RegObject::setRaiseWriteError(bool bRaiseWriteError)
{
    m_raiseWriteError = bRaiseWriteError;
    if (bRaiseWriteError)
        m_raiseAllErrors = false;
}

bool RegObject::CheckResult(const RegistryResult &result)
{
    if (result.ok()) {
        m_lastError.clear();
        return true;
    }
    SetLastErrorFromCode(result.code, result.detail);
    return false;
}

void RegObject::SetLastErrorFromCode(long code, const QString &detail)
{
    m_lastError = RegValueCodec::trimAtNull(RegistryStore::messageText(code));
    // Faults of the file itself name the file and what is wrong with it.
    if (!detail.isEmpty())
        m_lastError += u' ' + detail;
}

void RegObject::SaveRestoreState(bool save, qint32 lClassKey, const QString &sSubKey,
                                 const QString &sValueName, qint32 eValueType,
                                 const QVariant &vDefault)
{
    if (!save) {
        m_props = m_saved;
        return;
    }
    m_saved = m_props;
    if (lClassKey != NotPassedNumber)
        m_props.classKey = lClassKey;
    if (sSubKey != NotPassed)
        m_props.subKey = sSubKey;
    if (sValueName != NotPassed)
        m_props.valueName = sValueName;
    if (eValueType != NotPassedNumber)
        m_props.valueType = eValueType;
    if (vDefault.isValid())
        m_props.defaultValue = vDefault;
}

template<typename Operation>
auto RegObject::framed(const char *source, Operation operation)
{
    decltype(operation()) result{};
    try {
        result = operation();
    } catch (const Failure &) {
        // Checked below through LastError, after the properties are back.
    }
    SaveRestoreState(false);
    if (!m_lastError.isEmpty() && m_raiseAllErrors)
        throw Failure(ValueError, QString::fromLatin1(source), m_lastError);
    return result;
}

bool RegObject::KeyExists()
{
    if (CheckResult(m_store.openKey(m_props.classKey, m_props.subKey)))
        return true;
    if (m_raiseAllErrors)
        throw Failure(KeyError, QStringLiteral("RegObject.KeyExists"), m_lastError);
    return false;
}

QVariant RegObject::Value()
{
    RegistryValue stored;
    if (CheckResult(
            m_store.queryValue(m_props.classKey, m_props.subKey, m_props.valueName, &stored))) {
        long error = RegistryStore::Success;
        const QVariant result = RegValueCodec::decode(stored.type, stored.data, &error);
        if (error == RegistryStore::Success)
            return result;
        SetLastErrorFromCode(error);
    }
    if (!m_props.defaultValue.isValid() && m_raiseAllErrors)
        throw Failure(ValueError, QStringLiteral("RegObject.Get_Value"), m_lastError);
    return m_props.defaultValue;
}

void RegObject::setValue(const QVariant &vValue)
{
    RegistryValue value;
    // The data is checked before the key is created, so a refused value leaves the store as it
    // was.
    value.name = m_props.valueName;
    qint32 type = m_props.valueType;
    bool ok = false;
    if (RegValueCodec::encode(vValue, &type, &value.data)) {
        m_props.valueType = type;
        value.type = quint32(type);
        ok = CheckResult(m_store.setValue(m_props.classKey, m_props.subKey, value));
    } else {
        SetLastErrorFromCode(RegistryStore::InvalidData);
    }
    if (!ok && (m_raiseAllErrors || m_raiseWriteError))
        throw Failure(ValueError, QStringLiteral("RegObject.Let_Value"), m_lastError);
}

void RegObject::CreateEXEAssociation(const QString &ExePath, const QString &ClassName,
                                     const QString &ClassDescription, const QString &Extension,
                                     qint32 DefaultIconIndex)
{
    const QString extension = Extension.startsWith(u'.') ? Extension : u'.' + Extension;
    const QString command = ExePath + QStringLiteral(" \"%1\"");
    m_props.classKey = ClassesRoot;
    m_props.valueType = RegSz;
    const auto write = [this](const QString &key, const QString &text) {
        m_props.subKey = key;
        m_props.valueName.clear();
        setValue(text);
    };
    write(extension, ClassName);
    write(extension + QStringLiteral("\\shell\\open\\command"), command);
    write(ClassName, ClassDescription);
    write(ClassName + QStringLiteral("\\shell\\open\\command"), command);
    if (DefaultIconIndex > -1)
        write(ClassName + QStringLiteral("\\DefaultIcon"),
              ExePath + u',' + QString::number(DefaultIconIndex));
}

bool RegObject::CreateKey()
{
    if (CheckResult(m_store.createKey(m_props.classKey, m_props.subKey)))
        return true;
    if (m_raiseAllErrors)
        throw Failure(KeyError, QStringLiteral("RegObject.CreateKey"), m_lastError);
    return false;
}

bool RegObject::DeleteKey()
{
    const bool ok = CheckResult(m_store.deleteKey(m_props.classKey, m_props.subKey));
    if (!ok && m_raiseAllErrors)
        throw Failure(KeyError, QStringLiteral("RegObject.DeleteKey"), m_lastError);
    return ok;
}

bool RegObject::DeleteValue()
{
    const bool ok =
        CheckResult(m_store.deleteValue(m_props.classKey, m_props.subKey, m_props.valueName));
    if (!ok && m_raiseAllErrors)
        throw Failure(KeyError, QStringLiteral("RegObject.DeleteValue"), m_lastError);
    return ok;
}

QStringList RegObject::KeyNames_dont_use()
{
    QStringList names;
    // A complete enumeration ends with "no more items", which is success; any other end keeps
    // its text in LastError so that an unreadable key is not mistaken for an empty one.
    if (CheckResult(m_store.subKeyNames(m_props.classKey, m_props.subKey, &names)))
        return names;
    if (m_raiseAllErrors)
        throw Failure(KeyNamesError, QStringLiteral("RegObject.KeyNames"), m_lastError);
    return names;
}

QStringList RegObject::ValueNames()
{
    QStringList names;
    if (CheckResult(m_store.valueNames(m_props.classKey, m_props.subKey, &names)))
        return names;
    if (m_raiseAllErrors)
        throw Failure(ValueNamesError, QStringLiteral("RegObject.ValueNames"), m_lastError);
    return names;
}

QVariant RegObject::RegRead(qint32 lClassKey, const QString &sSubKey, const QString &sValueName,
                            const QVariant &vDefault)
{
    SaveRestoreState(true, lClassKey, sSubKey, sValueName, NotPassedNumber, vDefault);
    QVariant result;
    try {
        result = Value();
    } catch (const Failure &) {
        // Checked below through LastError, after the properties are back.
    }
    SaveRestoreState(false);
    if (!m_lastError.isEmpty() && !vDefault.isValid() && m_raiseAllErrors)
        throw Failure(ValueError, QStringLiteral("RegObject.RegRead"), m_lastError);
    return result;
}

void RegObject::RegWrite(qint32 lClassKey, const QString &sSubKey, const QString &sValueName,
                         const QVariant &vValue, qint32 eValueType)
{
    if (isMissing(vValue)) {
        m_lastError = QStringLiteral("Value is a required RegObject.RegWrite argument.");
        throw Failure(ValueError, QStringLiteral("RegObject.RegWrite"), m_lastError);
    }
    SaveRestoreState(true, lClassKey, sSubKey, sValueName, eValueType);
    try {
        setValue(vValue);
    } catch (const Failure &) {
        // Checked below through LastError, after the properties are back.
    }
    SaveRestoreState(false);
    if (!m_lastError.isEmpty() && (m_raiseWriteError || m_raiseAllErrors))
        throw Failure(ValueError, QStringLiteral("RegObject.RegWrite"), m_lastError);
}

bool RegObject::RegKeyExists(qint32 lClassKey, const QString &sSubKey)
{
    SaveRestoreState(true, lClassKey, sSubKey);
    return framed("RegObject.RegKeyExists", [this] { return KeyExists(); });
}

void RegObject::RegCreateKey(qint32 lClassKey, const QString &sSubKey)
{
    SaveRestoreState(true, lClassKey, sSubKey);
    framed("RegObject.RegCreateKey", [this] { return CreateKey(); });
}

void RegObject::RegDelKey(qint32 lClassKey, const QString &sSubKey)
{
    SaveRestoreState(true, lClassKey, sSubKey);
    framed("RegObject.RegDelKey", [this] { return DeleteKey(); });
}

void RegObject::RegDelValue(qint32 lClassKey, const QString &sSubKey, const QString &sValueName)
{
    SaveRestoreState(true, lClassKey, sSubKey, sValueName);
    framed("RegObject.RegDelValue", [this] { return DeleteValue(); });
}

QStringList RegObject::RegValueNames(qint32 lClassKey, const QString &sSubKey)
{
    SaveRestoreState(true, lClassKey, sSubKey);
    return framed("RegObject.RegValueNames", [this] { return ValueNames(); });
}

} // namespace orvel
