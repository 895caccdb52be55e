// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "settings/registrystore.h"

#include "settings/registrytext.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>

namespace orvel {

namespace {

// Another program holds the lock only while it rewrites a small file; waiting longer than this
// means something is wrong with it, and the change is given up.
constexpr int LockTimeoutMs = 10000;
// QLockFile doubles its pause between attempts up to seconds, which lets a busy writer starve a
// waiting one; short attempts in a row keep looking every hundredth of a second.
constexpr int LockAttemptMs = 10;

// Takes the lock, waiting at most LockTimeoutMs for another program to release it.
bool takeLock(QLockFile &lock)
{
    const QDeadlineTimer deadline(LockTimeoutMs);
    while (!lock.tryLock(int(qMin<qint64>(LockAttemptMs, deadline.remainingTime())))) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired())
            return false;
    }
    return true;
}

RegistryResult ioFailure(const QString &what)
{
    return {RegistryStore::RegistryIoFailed, what};
}

} // namespace

RegistryStore::RegistryStore(const QString &configFolder)
{
    const QString base =
        configFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
            : configFolder;
    m_folder = QDir(base).filePath(QStringLiteral("Orvel/registry"));
}

QString RegistryStore::rootName(qint32 root)
{
    switch (root) {
    case ClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    case CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    default:
        return {};
    }
}

QString RegistryStore::filePath(qint32 root) const
{
    const QString name = rootName(root);
    return name.isEmpty() ? QString() : QDir(m_folder).filePath(name + QStringLiteral(".reg"));
}

QString RegistryStore::messageText(long code)
{
    switch (code) {
    case Success:
        return QStringLiteral("The operation completed successfully.");
    case FileNotFound:
        return QStringLiteral("The system cannot find the file specified.");
    case AccessDenied:
        return QStringLiteral("Access is denied.");
    case InvalidHandle:
        return QStringLiteral("The handle is invalid.");
    case InvalidData:
        return QStringLiteral("The data is invalid.");
    case SharingViolation:
        return QStringLiteral(
            "The process cannot access the file because it is being used by another process.");
    case InvalidParameter:
        return QStringLiteral("The parameter is incorrect.");
    case MoreData:
        return QStringLiteral("More data is available.");
    case NoMoreItems:
        return QStringLiteral("No more data is available.");
    case RegistryCorrupt:
        return QStringLiteral("The registry is corrupted.");
    case RegistryIoFailed:
        return QStringLiteral("An I/O operation initiated by the registry failed unrecoverably.");
    default:
        return QStringLiteral("Unknown error (%1).").arg(code);
    }
}

bool RegistryStore::splitPath(const QString &subKey, QStringList *path)
{
    *path = subKey.split(u'\\', Qt::SkipEmptyParts);
    for (const QString &name : std::as_const(*path)) {
        if (!RegistryFile::isValidKeyName(name))
            return false;
    }
    return true;
}

RegistryResult RegistryStore::load(qint32 root, RegistryFile *file, bool *damaged) const
{
    if (damaged)
        *damaged = false;
    const QString path = filePath(root);
    if (path.isEmpty())
        return {InvalidHandle, {}};
    QFile in(path);
    if (!in.exists())
        return {};
    if (!in.open(QIODevice::ReadOnly))
        return ioFailure(QStringLiteral("Cannot read %1: %2").arg(path, in.errorString()));
    const QByteArray text = in.readAll();
    if (in.error() != QFileDevice::NoError)
        return ioFailure(QStringLiteral("Cannot read %1: %2").arg(path, in.errorString()));
    QString error;
    if (!RegistryText::parse(text, file, &error)) {
        if (damaged)
            *damaged = true;
        return {RegistryCorrupt, QStringLiteral("%1, %2.").arg(path, error)};
    }
    return {};
}

RegistryResult RegistryStore::loadKey(qint32 root, const QString &subKey, RegistryFile *file,
                                      QStringList *path) const
{
    if (!splitPath(subKey, path))
        return {InvalidParameter, {}};
    RegistryResult result = load(root, file);
    if (result.ok() && !file->hasKey(*path))
        return {FileNotFound, {}};
    return result;
}

RegistryResult RegistryStore::openKey(qint32 root, const QString &subKey) const
{
    RegistryFile file(rootName(root));
    QStringList path;
    return loadKey(root, subKey, &file, &path);
}

RegistryResult RegistryStore::queryValue(qint32 root, const QString &subKey, const QString &name,
                                         RegistryValue *value) const
{
    RegistryFile file(rootName(root));
    QStringList path;
    const RegistryResult result = loadKey(root, subKey, &file, &path);
    if (!result.ok())
        return result;
    const RegistryValue *found = file.value(path, name);
    if (!found)
        return {FileNotFound, {}};
    *value = *found;
    return {};
}

RegistryResult RegistryStore::subKeyNames(qint32 root, const QString &subKey,
                                          QStringList *names) const
{
    RegistryFile file(rootName(root));
    QStringList path;
    const RegistryResult result = loadKey(root, subKey, &file, &path);
    if (result.ok())
        *names = file.subKeyNames(path);
    return result;
}

RegistryResult RegistryStore::valueNames(qint32 root, const QString &subKey,
                                         QStringList *names) const
{
    RegistryFile file(rootName(root));
    QStringList path;
    const RegistryResult result = loadKey(root, subKey, &file, &path);
    if (result.ok())
        *names = file.valueNames(path);
    return result;
}

RegistryResult RegistryStore::createKey(qint32 root, const QString &subKey)
{
    return change(root, subKey, [&](RegistryFile &file, bool *changed) {
        QStringList path;
        splitPath(subKey, &path);
        *changed = file.createKey(path);
        return RegistryResult{};
    });
}

RegistryResult RegistryStore::setValue(qint32 root, const QString &subKey,
                                       const RegistryValue &value)
{
    if (!RegistryFile::isValidValueName(value.name))
        return {InvalidParameter, {}};
    return change(root, subKey, [&](RegistryFile &file, bool *changed) {
        QStringList path;
        splitPath(subKey, &path);
        file.setValue(path, value);
        *changed = true;
        return RegistryResult{};
    });
}

RegistryResult RegistryStore::deleteKey(qint32 root, const QString &subKey)
{
    return change(root, subKey, [&](RegistryFile &file, bool *changed) {
        QStringList path;
        splitPath(subKey, &path);
        if (!file.hasKey(path))
            return RegistryResult{FileNotFound, {}};
        // A root key cannot go, and a key with sub-keys only goes after them, so that one call
        // never takes a whole branch of settings with it.
        if (path.isEmpty() || file.hasSubKeys(path))
            return RegistryResult{AccessDenied, {}};
        file.removeKey(path);
        *changed = true;
        return RegistryResult{};
    });
}

RegistryResult RegistryStore::deleteValue(qint32 root, const QString &subKey, const QString &name)
{
    return change(root, subKey, [&](RegistryFile &file, bool *changed) {
        QStringList path;
        splitPath(subKey, &path);
        if (!file.hasKey(path) || !file.removeValue(path, name))
            return RegistryResult{FileNotFound, {}};
        *changed = true;
        return RegistryResult{};
    });
}

RegistryResult RegistryStore::change(qint32 root, const QString &subKey, const Edit &edit)
{
    const QString path = filePath(root);
    if (path.isEmpty())
        return {InvalidHandle, {}};
    QStringList keyPath;
    if (!splitPath(subKey, &keyPath))
        return {InvalidParameter, {}};
    if (!QDir().mkpath(m_folder))
        return ioFailure(QStringLiteral("Cannot create the folder %1.").arg(m_folder));

    QLockFile lock(path + QStringLiteral(".lock"));
    if (!takeLock(lock)) {
        if (lock.error() == QLockFile::LockFailedError)
            return {SharingViolation, QStringLiteral("%1 stays locked.").arg(path)};
        return ioFailure(QStringLiteral("Cannot create the lock file %1.").arg(lock.fileName()));
    }

    // Read again under the lock: another program may have changed the file since.
    RegistryFile file(rootName(root));
    bool damaged = false;
    const RegistryResult loaded = load(root, &file, &damaged);
    if (!loaded.ok() && !damaged)
        return loaded;
    bool changed = false;
    const RegistryResult edited = edit(file, &changed);
    // In a damaged file nothing can be found: say why rather than that it is missing.
    if (!edited.ok())
        return damaged ? loaded : edited;
    if (!changed)
        return edited;
    if (damaged) {
        const RegistryResult kept = keepDamagedCopy(path);
        if (!kept.ok())
            return kept;
    }

    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly))
        return ioFailure(QStringLiteral("Cannot write %1: %2").arg(path, out.errorString()));
    out.write(RegistryText::serialise(file));
    if (!out.commit())
        return ioFailure(QStringLiteral("Cannot write %1: %2").arg(path, out.errorString()));
    return {};
}

RegistryResult RegistryStore::keepDamagedCopy(const QString &path) const
{
    QString copy = path + QStringLiteral(".bad");
    for (int n = 1; QFileInfo::exists(copy); ++n)
        copy = path + QStringLiteral(".bad.%1").arg(n);
    if (!QFile::copy(path, copy))
        return ioFailure(
            QStringLiteral("Cannot keep a copy of the damaged %1 as %2.").arg(path, copy));
    qWarning("Settings store: the damaged %s is kept as %s", qPrintable(path), qPrintable(copy));
    return {};
}

} // namespace orvel
