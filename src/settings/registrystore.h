// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#pragma once

#include "settings/registryfile.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace orvel {

/// The outcome of a store operation: a registry result code (0 on success) and, for failures of
/// the file itself, what went wrong and where.
struct RegistryResult
{
    long code = 0;
    QString detail;

    bool ok() const { return code == 0; }
};

/// The per-user settings store: a tree of keys under the root keys HKEY_CURRENT_USER
/// (&H80000001) and HKEY_CLASSES_ROOT (&H80000000), each kept in a text file of its own,
/// `<configuration folder>/Orvel/registry/<root name>.reg` (see RegistryFile for the format).
///
/// No file stays open between calls. Reads parse the file afresh; changes take a lock file
/// beside it, read it again, change it and replace it in one rename, so that a crash never
/// leaves half a file and two running programs keep each other's changes. A file that cannot be
/// parsed reads as damaged (result 1015 with the line and the fault); the first change after
/// that keeps a copy of it beside it ("<name>.reg.bad", then ".bad.1", ...) before replacing it.
///
/// Sub-key paths are key names separated by "\"; empty names between separators are skipped.
/// Names match without regard to case. Single-threaded: one instance per thread.
class RegistryStore
{
public:
    // The result codes the store gives.
    static constexpr long Success = 0;
    static constexpr long FileNotFound = 2;       ///< key or value does not exist
    static constexpr long AccessDenied = 5;       ///< deleting a root key or one with sub-keys
    static constexpr long InvalidHandle = 6;      ///< a root key the store does not keep
    static constexpr long InvalidData = 13;       ///< a value that cannot be stored or read
    static constexpr long SharingViolation = 32;  ///< another program holds the store too long
    static constexpr long InvalidParameter = 87;  ///< a key or value name that cannot be stored
    static constexpr long MoreData = 234;         ///< stored data longer than asked for
    static constexpr long NoMoreItems = 259;      ///< the end of an enumeration
    static constexpr long RegistryCorrupt = 1015; ///< the file cannot be parsed
    static constexpr long RegistryIoFailed =
        1016; ///< the file or its folder cannot be read or written

    static constexpr qint32 ClassesRoot = qint32(0x80000000);
    static constexpr qint32 CurrentUser = qint32(0x80000001);

    /// `configFolder` is the user's configuration folder; empty means the desktop's standard
    /// one (QStandardPaths::GenericConfigLocation). Tests pass a temporary folder.
    explicit RegistryStore(const QString &configFolder = {});

    /// The folder holding the files.
    QString folder() const { return m_folder; }
    /// The file of a root key; empty for a root the store does not keep.
    QString filePath(qint32 root) const;
    /// "HKEY_CURRENT_USER" and "HKEY_CLASSES_ROOT"; empty for any other number.
    static QString rootName(qint32 root);
    /// The system's one-line message text for a result code, as the platform words it.
    static QString messageText(long code);

    RegistryResult openKey(qint32 root, const QString &subKey) const;
    /// The value `name` of the key; 2 when the key or the value does not exist.
    RegistryResult queryValue(qint32 root, const QString &subKey, const QString &name,
                              RegistryValue *value) const;
    RegistryResult subKeyNames(qint32 root, const QString &subKey, QStringList *names) const;
    RegistryResult valueNames(qint32 root, const QString &subKey, QStringList *names) const;

    /// Creates the key with its missing parents; an existing key is fine.
    RegistryResult createKey(qint32 root, const QString &subKey);
    /// Creates the key when needed and stores the value in the same change.
    RegistryResult setValue(qint32 root, const QString &subKey, const RegistryValue &value);
    /// Deletes a key that has no sub-keys, with its values.
    RegistryResult deleteKey(qint32 root, const QString &subKey);
    RegistryResult deleteValue(qint32 root, const QString &subKey, const QString &name);

private:
    using Edit = std::function<RegistryResult(RegistryFile &file, bool *changed)>;

    static bool splitPath(const QString &subKey, QStringList *path);
    RegistryResult load(qint32 root, RegistryFile *file, bool *damaged = nullptr) const;
    /// Loads the file of `root` and finds `subKey` in it: FileNotFound when it is not there.
    RegistryResult loadKey(qint32 root, const QString &subKey, RegistryFile *file,
                           QStringList *path) const;
    RegistryResult change(qint32 root, const QString &subKey, const Edit &edit);
    RegistryResult keepDamagedCopy(const QString &path) const;

    QString m_folder;
};

} // namespace orvel
