#include "settings/regobject.h"

#include "common/failure.h"
#include "common/localeformats.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>

#include <cmath>
#include <limits>

namespace orvel {

namespace {

// Days since 30 December 1899 with the time of day as the fraction, the way the program's dates
// count when they are taken as numbers.
double serialDate(const QDateTime &time)
{
    static const QDate epoch(1899, 12, 30);
    const double days = double(epoch.daysTo(time.date()));
    const double fraction = time.time().msecsSinceStartOfDay() / 86400000.0;
    return days < 0 ? days - fraction : days + fraction;
}

bool isNumber(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Float:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

// A numeric, date, boolean or byte value as a 32-bit integer, rounded to nearest with ties to
// even; false for any other kind and for numbers beyond 32 bits.
bool toDword(const QVariant &value, qint32 *number)
{
    double real = 0;
    const int type = value.metaType().id();
    if (type == QMetaType::Bool) {
        *number = value.toBool() ? -1 : 0;
        return true;
    }
    if (type == QMetaType::QDateTime)
        real = serialDate(value.toDateTime());
    else if (type == QMetaType::QDate)
        real = serialDate(value.toDate().startOfDay());
    else if (isNumber(value))
        real = value.toDouble();
    else
        return false;
    const double rounded = std::nearbyint(real);
    if (!std::isfinite(rounded) || rounded < std::numeric_limits<qint32>::min() ||
        rounded > std::numeric_limits<qint32>::max())
        return false;
    *number = qint32(rounded);
    return true;
}

// Any value as text, numbers and dates in the user's formats; false for Missing and for kinds
// that have no text form.
bool toText(const QVariant &value, QString *text)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    switch (value.metaType().id()) {
    case QMetaType::UnknownType:
        text->clear();
        return true;
    case QMetaType::Bool:
        *text = value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return true;
    case QMetaType::Float:
        *text = locale.toString(double(value.toFloat()), 'G', 7);
        return true;
    case QMetaType::Double:
        *text = locale.toString(value.toDouble(), 'G', 15);
        return true;
    case QMetaType::QDateTime:
        *text = LocaleFormats(locale).generalDate(value.toDateTime());
        return true;
    case QMetaType::QDate:
        *text = LocaleFormats(locale).generalDate(value.toDate().startOfDay());
        return true;
    case QMetaType::QByteArray:
        *text = QString::fromUtf8(value.toByteArray());
        return true;
    default:
        if (RegObject::isMissing(value) || !value.canConvert<QString>())
            return false;
        *text = value.toString();
        return true;
    }
}

} // namespace

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
    m_lastError = TrimAtNull(RegistryStore::messageText(code));
    // Faults of the file itself name the file and what is wrong with it.
    if (!detail.isEmpty())
        m_lastError += u' ' + detail;
}

QString RegObject::TrimAtNull(const QString &text)
{
    const qsizetype end = text.indexOf(QChar(0));
    return end < 0 ? text : text.left(end);
}

QString RegObject::ExpandEnvironment(const QString &text)
{
    const QString in = TrimAtNull(text);
    QString out;
    out.reserve(in.size());
    qsizetype i = 0;
    while (i < in.size()) {
        if (in.at(i) == u'%') {
            const qsizetype close = in.indexOf(u'%', i + 1);
            if (close > i + 1) {
                const QByteArray name = in.mid(i + 1, close - i - 1).toLocal8Bit();
                if (qEnvironmentVariableIsSet(name.constData())) {
                    out += qEnvironmentVariable(name.constData());
                    i = close + 1;
                    continue;
                }
            }
        }
        // An unknown or empty reference stays as written.
        out += in.at(i);
        ++i;
    }
    return out;
}

qint32 RegObject::SwapByteOrder(qint32 n)
{
    const quint32 u = quint32(n);
    return qint32((u >> 24) | ((u >> 8) & 0xff00u) | ((u << 8) & 0xff0000u) | (u << 24));
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
    bool ok = CheckResult(
        m_store.queryValue(m_props.classKey, m_props.subKey, m_props.valueName, &stored));
    QVariant result;
    if (ok) {
        switch (stored.type) {
        case RegSz:
        case RegExpandSz:
        case RegMultiSz:
            // Without its terminator a text value cannot be read.
            if (stored.data.isEmpty()) {
                SetLastErrorFromCode(RegistryStore::InvalidData);
                ok = false;
                break;
            }
            result = stored.type == RegExpandSz
                         ? ExpandEnvironment(QString::fromUtf8(stored.data.chopped(1)))
                         : QString::fromUtf8(stored.data.chopped(1));
            break;
        case RegDword:
        case RegDwordBigEndian: {
            if (stored.data.size() > 4) {
                SetLastErrorFromCode(RegistryStore::MoreData);
                ok = false;
                break;
            }
            quint32 n = 0;
            for (qsizetype i = 0; i < stored.data.size(); ++i)
                n |= quint32(quint8(stored.data.at(i))) << (8 * i);
            result = stored.type == RegDword ? qint32(n) : SwapByteOrder(qint32(n));
            break;
        }
        default:
            result = stored.data;
            break;
        }
    }
    if (ok)
        return result;
    if (!m_props.defaultValue.isValid() && m_raiseAllErrors)
        throw Failure(ValueError, QStringLiteral("RegObject.Get_Value"), m_lastError);
    return m_props.defaultValue;
}

bool RegObject::valueData(const QVariant &vValue, RegistryValue *value)
{
    value->name = m_props.valueName;
    switch (m_props.valueType) {
    case RegSz:
    case RegExpandSz:
    case RegMultiSz: {
        QString text;
        if (!toText(vValue, &text))
            return false;
        // A text with a %NAME% reference is stored for expansion. Only plain text is promoted:
        // a multi-string stays one, as its items would be lost to an expansion.
        const qsizetype first = text.indexOf(u'%');
        if (m_props.valueType == RegSz && first >= 0 && text.indexOf(u'%', first + 2) >= 0)
            m_props.valueType = RegExpandSz;
        value->type = quint32(m_props.valueType);
        value->data = text.toUtf8();
        value->data.append('\0');
        return true;
    }
    case RegDword:
    case RegDwordBigEndian: {
        qint32 number = 0;
        if (!toDword(vValue, &number))
            return false;
        const quint32 bits =
            quint32(m_props.valueType == RegDword ? number : SwapByteOrder(number));
        value->type = quint32(m_props.valueType);
        value->data = QByteArray(4, '\0');
        for (int i = 0; i < 4; ++i)
            value->data[i] = char((bits >> (8 * i)) & 0xff);
        return true;
    }
    default:
        if (m_props.valueType < 0 || vValue.metaType().id() != QMetaType::QByteArray)
            return false;
        value->type = quint32(m_props.valueType);
        value->data = vValue.toByteArray();
        return true;
    }
}

void RegObject::setValue(const QVariant &vValue)
{
    RegistryValue value;
    // The data is checked before the key is created, so a refused value leaves the store as it
    // was.
    bool ok = false;
    if (valueData(vValue, &value))
        ok = CheckResult(m_store.setValue(m_props.classKey, m_props.subKey, value));
    else
        SetLastErrorFromCode(RegistryStore::InvalidData);
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
