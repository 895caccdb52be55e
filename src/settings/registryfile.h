// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace orvel {

/// One named, typed value of a key: the registry type number and its bytes as stored.
/// The unnamed value "" is the key's default value.
struct RegistryValue
{
    QString name;
    quint32 type = 0;
    QByteArray data;
};

/// The keys and values below one root key, held in memory (RegistryText gives their text form).
/// Key and value names match without regard to case and keep the case they were created with.
/// Paths are lists of key names below the root; the empty list is the root key itself, which
/// always exists.
class RegistryFile
{
public:
    explicit RegistryFile(QString rootName);

    const QString &rootName() const { return m_rootName; }

    /// Removes every key and value.
    void clear();

    /// Whether `name` can be stored: no line breaks or NUL characters (and for key names no
    /// backslash, at most 255 characters, not empty).
    static bool isValidKeyName(const QString &name);
    static bool isValidValueName(const QString &name);

    bool hasKey(const QStringList &path) const;
    /// Creates the key and every missing parent; false when the key existed already.
    bool createKey(const QStringList &path);
    bool hasSubKeys(const QStringList &path) const;
    /// Removes the key with its values; sub-keys must have been removed first (the caller checks).
    void removeKey(const QStringList &path);

    /// The value, or null when the key or the value does not exist.
    const RegistryValue *value(const QStringList &path, const QString &name) const;
    /// Stores the value, replacing one of the same name; creates the key when needed.
    void setValue(const QStringList &path, const RegistryValue &value);
    /// False when there was no such value.
    bool removeValue(const QStringList &path, const QString &name);

    /// Names of the direct sub-keys in the order of the file, and of the values in the order they
    /// were first stored. Empty for a key that does not exist.
    QStringList subKeyNames(const QStringList &path) const;
    QStringList valueNames(const QStringList &path) const;

    /// Every key's path, parents before their children, each key's sub-keys in file order;
    /// the root key first.
    QList<QStringList> keyPaths() const;
    /// The values of a key in the order they were first stored; empty for a missing key.
    QList<RegistryValue> values(const QStringList &path) const;

private:
    struct Key
    {
        QStringList path;
        QList<RegistryValue> values;
    };

    static QString sortKey(const QStringList &path);
    const Key *findKey(const QStringList &path) const;
    Key *findKey(const QStringList &path);
    Key &ensureKey(const QStringList &path);

    QString m_rootName;
    // By case-folded path, parents sorting before their children.
    QMap<QString, Key> m_keys;
};

} // namespace orvel
