// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace orvel::test {

QDateTime frozenTime()
{
    return QDateTime(QDate(2026, 12, 5), QTime(7, 50, 20));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

QString absentDevicePath()
{
    return QStringLiteral("/nonexistent-orvel-test/dev/ttyNONE");
}

PortMap portMapWith(const QMap<int, QString> &devices)
{
    PortMap map;
    map.setDeviceRoot(QStringLiteral("/nonexistent-orvel-test/dev"));
    for (auto it = devices.cbegin(); it != devices.cend(); ++it)
        map.setOverride(it.key(), it.value());
    return map;
}

QString portHolderProgram()
{
    return QStringLiteral(ORVEL_PORT_HOLDER);
}

UsbIdentity OneAdapter::identityOf(const QString &path) const
{
    if ((path != m_place && !path.startsWith(m_place + u'/')) || !QFileInfo::exists(path))
        return {};
    return {0x0403, 0x6001, QStringLiteral("A50285BI"), QStringLiteral("FTDI"),
            QStringLiteral("FT232R USB UART")};
}

QStringList OneAdapter::devicePaths() const
{
    QStringList paths;
    for (const QString &name : QDir(m_place).entryList(QDir::System | QDir::Files))
        paths << QDir(m_place).filePath(name);
    return paths;
}

UnprivilegedScope::UnprivilegedScope()
{
    if (::geteuid() != 0)
        return;
    const passwd *nobody = ::getpwnam("nobody");
    if (!nobody)
        return;
    const int count = ::getgroups(0, nullptr);
    if (count < 0)
        return;
    m_groups.resize(count);
    if (::getgroups(count, m_groups.data()) != count)
        return;
    // Keep root as the saved id so the destructor can switch back.
    if (::setgroups(0, nullptr) != 0)
        return;
    if (::setresgid(nobody->pw_gid, nobody->pw_gid, 0) != 0 ||
        ::setresuid(nobody->pw_uid, nobody->pw_uid, 0) != 0) {
        ::setresgid(0, 0, 0);
        ::setgroups(size_t(m_groups.size()), m_groups.constData());
        return;
    }
    m_active = true;
}

UnprivilegedScope::~UnprivilegedScope()
{
    if (!m_active)
        return;
    if (::setresuid(0, 0, 0) != 0 || ::setresgid(0, 0, 0) != 0 ||
        ::setgroups(size_t(m_groups.size()), m_groups.constData()) != 0) {
        qFatal("could not return to root after running unprivileged");
    }
}

} // namespace orvel::test
