// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "settings/registrystore.h"
#include "settings/regvaluecodec.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace orvel {

/// The program's access to its persistent settings: a current value address (root key, sub-key
/// path, value name), the value type used by writes, a default returned by failed reads, and two
/// switches that decide whether failures are raised or only recorded in `LastError`.
///
/// Values travel as QVariant: invalid is Empty, RegObject::missing() is Missing; text is QString,
/// 32-bit numbers are int, byte arrays QByteArray. Failures are raised as orvel::Failure with the
/// numbers and sources below and the `LastError` text as description. With both switches off (as
/// the main window uses it) only `RegWrite` without a value raises; everything else reports
/// through `LastError` and the defaults.
///
/// Every operation opens and closes the store itself; nothing stays open between calls. Not
/// thread-safe: owned and used by the user-interface thread.
class RegObject
{
public:
    // Root keys.
    static constexpr qint32 ClassesRoot = RegistryStore::ClassesRoot;
    static constexpr qint32 CurrentUser = RegistryStore::CurrentUser;

    // Value types handled.
    static constexpr qint32 RegSz = RegValueCodec::RegSz;
    static constexpr qint32 RegExpandSz = RegValueCodec::RegExpandSz;
    static constexpr qint32 RegBinary = RegValueCodec::RegBinary;
    static constexpr qint32 RegDword = RegValueCodec::RegDword;
    static constexpr qint32 RegDwordBigEndian = RegValueCodec::RegDwordBigEndian;
    static constexpr qint32 RegMultiSz = RegValueCodec::RegMultiSz;

    // Numbers of the raised errors.
    static constexpr int KeyError = 26001;
    static constexpr int ValueError = -2147194455;      ///< &H800469A9
    static constexpr int ValueNamesError = -2147194454; ///< &H800469AA
    static constexpr int KeyNamesError = -2147194453;   ///< &H800469AB

    /// Arguments of the Reg-prefixed operations that mean "not passed: keep the property".
    static constexpr qint32 NotPassedNumber = -1;
    static inline const QString NotPassed = QStringLiteral("_not_passed_");

    /// The variant Missing, and whether a value is it.
    static QVariant missing();
    static bool isMissing(const QVariant &value);

    /// `configFolder` is the user's configuration folder holding "Orvel/registry"; empty means
    /// the desktop's standard one. Tests pass a temporary folder.
    explicit RegObject(const QString &configFolder = {});

    /// The files behind the store.
    const RegistryStore &store() const { return m_store; }

    // Properties. The plain ones only store and return.
    qint32 ClassKey() const { return m_props.classKey; }
    void setClassKey(qint32 lClassKey) { m_props.classKey = lClassKey; }
    QVariant Default() const { return m_props.defaultValue; }
    void setDefault(const QVariant &vDefault) { m_props.defaultValue = vDefault; }
    /// Whether the key at (ClassKey, SubKey) exists. Raises 26001 "RegObject.KeyExists" on
    /// failure when RaiseAllErrors is set.
    bool KeyExists();
    /// The system message text of the last failed store call; "" after a successful one.
    QString LastError() const { return m_lastError; }
    bool RaiseWriteError() const { return m_raiseWriteError; }
    /// Setting it to true also sets RaiseAllErrors to false.
    void setRaiseWriteError(bool bRaiseWriteError);
    bool RaiseAllErrors() const { return m_raiseAllErrors; }
    void setRaiseAllErrors(bool bRaiseAllErrors) { m_raiseAllErrors = bRaiseAllErrors; }
    QString SubKey() const { return m_props.subKey; }
    void setSubKey(const QString &sSubKey) { m_props.subKey = sSubKey; }
    /// Reads the value at the current address: text for types 1 and 7 (without the stored
    /// terminator), text with %NAME% references expanded for type 2, a 32-bit int for types 4
    /// and 5, the bytes for any other type. On failure returns `Default`; raises
    /// ValueError "RegObject.Get_Value" when `Default` is Empty and RaiseAllErrors is set.
    QVariant Value();
    /// Writes `vValue` at the current address with type ValueType, creating the key. Types 1, 2
    /// and 7 store the value as text plus a NUL; a type-1 text holding "%...%" is stored as type 2
    /// and ValueType becomes 2. Types 4 and 5 take numbers, dates, booleans and bytes, rounded to
    /// a 32-bit integer (anything else fails with 13); other types take only a QByteArray.
    /// Raises ValueError "RegObject.Let_Value" on failure when either switch is set.
    void setValue(const QVariant &vValue);
    QString ValueName() const { return m_props.valueName; }
    void setValueName(const QString &sValueName) { m_props.valueName = sValueName; }
    qint32 ValueType() const { return m_props.valueType; }
    void setValueType(qint32 eValueType) { m_props.valueType = eValueType; }

    /// Registers `Extension` (a "." is put in front when missing) as a file of class `ClassName`
    /// opened by `ExePath "%1"`, under HKEY_CLASSES_ROOT; with `DefaultIconIndex` > -1 also
    /// the class's icon. Leaves the properties as the last write set them.
    void CreateEXEAssociation(const QString &ExePath, const QString &ClassName,
                              const QString &ClassDescription, const QString &Extension,
                              qint32 DefaultIconIndex = -1);

    /// Act on the current address; false on failure (raising 26001 with RaiseAllErrors).
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();

    /// Names of the sub-keys / values of the current key, what was collected on failure.
    /// On failure `LastError` tells why; RaiseAllErrors raises KeyNamesError "RegObject.KeyNames"
    /// or ValueNamesError "RegObject.ValueNames".
    QStringList KeyNames_dont_use();
    QStringList ValueNames();

    /// The Reg-prefixed operations set the passed address parts for the one call and restore
    /// ClassKey, SubKey, ValueName, ValueType and Default afterwards, also when they raise.
    /// Failures inside are not raised as such; afterwards, with LastError set, they raise
    /// ValueError with their own source ("RegObject.RegRead", ...) when the switches say so.

    /// The value, or on failure the passed default: Missing when none was passed, the Default
    /// property for an explicit Empty (which with RaiseAllErrors raises instead).
    QVariant RegRead(qint32 lClassKey = NotPassedNumber, const QString &sSubKey = NotPassed,
                     const QString &sValueName = NotPassed, const QVariant &vDefault = missing());
    /// Without a value it raises ValueError "RegObject.RegWrite" whatever the switches, writing
    /// nothing. A promotion to type 2 does not outlast the call.
    void RegWrite(qint32 lClassKey = NotPassedNumber, const QString &sSubKey = NotPassed,
                  const QString &sValueName = NotPassed, const QVariant &vValue = missing(),
                  qint32 eValueType = NotPassedNumber);
    bool RegKeyExists(qint32 lClassKey = NotPassedNumber, const QString &sSubKey = NotPassed);
    void RegCreateKey(qint32 lClassKey = NotPassedNumber, const QString &sSubKey = NotPassed);
    void RegDelKey(qint32 lClassKey = NotPassedNumber, const QString &sSubKey = NotPassed);
    void RegDelValue(qint32 lClassKey = NotPassedNumber, const QString &sSubKey = NotPassed,
                     const QString &sValueName = NotPassed);
    QStringList RegValueNames(qint32 lClassKey = NotPassedNumber,
                              const QString &sSubKey = NotPassed);

private:
    struct State
    {
        qint32 classKey = 0;
        QString subKey;
        QString valueName;
        qint32 valueType = RegSz;
        QVariant defaultValue;
    };

    bool CheckResult(const RegistryResult &result);
    void SetLastErrorFromCode(long code, const QString &detail = {});
    void SaveRestoreState(bool save, qint32 lClassKey = NotPassedNumber,
                          const QString &sSubKey = NotPassed, const QString &sValueName = NotPassed,
                          qint32 eValueType = NotPassedNumber, const QVariant &vDefault = {});
    /// Runs `operation` inside the save/restore frame and raises ValueError with `source`
    /// afterwards when it failed and RaiseAllErrors is set.
    template<typename Operation>
    auto framed(const char *source, Operation operation);

    RegistryStore m_store;
    State m_props;
    State m_saved;
    QString m_lastError;
    bool m_raiseWriteError = false;
    bool m_raiseAllErrors = false;
};

} // namespace orvel
