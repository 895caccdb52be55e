// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "settings/registryfile.h"

namespace orvel {

namespace {

constexpr int MaxKeyNameLength = 255;

} // namespace

RegistryFile::RegistryFile(QString rootName)
    : m_rootName(std::move(rootName))
{
    clear();
}

void RegistryFile::clear()
{
    m_keys.clear();
    m_keys.insert(QString(), Key{});
}

bool RegistryFile::isValidKeyName(const QString &name)
{
    return !name.isEmpty() && name.size() <= MaxKeyNameLength && !name.contains(u'\\') &&
           isValidValueName(name);
}

bool RegistryFile::isValidValueName(const QString &name)
{
    return !name.contains(u'\n') && !name.contains(u'\r') && !name.contains(QChar(0));
}

QString RegistryFile::sortKey(const QStringList &path)
{
    // A separator below every printable character keeps "a\b" right after "a" and before "a b".
    return path.join(QChar(1)).toCaseFolded();
}

const RegistryFile::Key *RegistryFile::findKey(const QStringList &path) const
{
    const auto it = m_keys.constFind(sortKey(path));
    return it == m_keys.cend() ? nullptr : &*it;
}

RegistryFile::Key *RegistryFile::findKey(const QStringList &path)
{
    const auto it = m_keys.find(sortKey(path));
    return it == m_keys.end() ? nullptr : &*it;
}

RegistryFile::Key &RegistryFile::ensureKey(const QStringList &path)
{
    for (qsizetype depth = 1; depth < path.size(); ++depth) {
        const QStringList parent = path.first(depth);
        if (!findKey(parent))
            m_keys.insert(sortKey(parent), Key{parent, {}});
    }
    if (Key *key = findKey(path))
        return *key;
    return *m_keys.insert(sortKey(path), Key{path, {}});
}

bool RegistryFile::hasKey(const QStringList &path) const
{
    return findKey(path) != nullptr;
}

bool RegistryFile::createKey(const QStringList &path)
{
    if (hasKey(path))
        return false;
    ensureKey(path);
    return true;
}

bool RegistryFile::hasSubKeys(const QStringList &path) const
{
    return !subKeyNames(path).isEmpty();
}

void RegistryFile::removeKey(const QStringList &path)
{
    if (!path.isEmpty())
        m_keys.remove(sortKey(path));
}

const RegistryValue *RegistryFile::value(const QStringList &path, const QString &name) const
{
    const Key *key = findKey(path);
    if (!key)
        return nullptr;
    for (const RegistryValue &value : key->values) {
        if (value.name.compare(name, Qt::CaseInsensitive) == 0)
            return &value;
    }
    return nullptr;
}

void RegistryFile::setValue(const QStringList &path, const RegistryValue &value)
{
    Key &key = ensureKey(path);
    for (RegistryValue &existing : key.values) {
        if (existing.name.compare(value.name, Qt::CaseInsensitive) == 0) {
            existing.type = value.type;
            existing.data = value.data;
            return;
        }
    }
    key.values.append(value);
}

bool RegistryFile::removeValue(const QStringList &path, const QString &name)
{
    Key *key = findKey(path);
    if (!key)
        return false;
    return key->values.removeIf([&](const RegistryValue &value) {
        return value.name.compare(name, Qt::CaseInsensitive) == 0;
    }) > 0;
}

QStringList RegistryFile::subKeyNames(const QStringList &path) const
{
    QStringList names;
    if (!hasKey(path))
        return names;
    const QString prefix = path.isEmpty() ? QString() : sortKey(path) + QChar(1);
    for (auto it = m_keys.lowerBound(prefix); it != m_keys.cend(); ++it) {
        if (!it.key().startsWith(prefix))
            break;
        if (it->path.size() == path.size() + 1)
            names.append(it->path.last());
    }
    return names;
}

QList<QStringList> RegistryFile::keyPaths() const
{
    QList<QStringList> paths;
    paths.reserve(m_keys.size());
    for (const Key &key : m_keys)
        paths.append(key.path);
    return paths;
}

QList<RegistryValue> RegistryFile::values(const QStringList &path) const
{
    const Key *key = findKey(path);
    return key ? key->values : QList<RegistryValue>();
}

QStringList RegistryFile::valueNames(const QStringList &path) const
{
    QStringList names;
    if (const Key *key = findKey(path)) {
        for (const RegistryValue &value : key->values)
            names.append(value.name);
    }
    return names;
}

} // namespace orvel
