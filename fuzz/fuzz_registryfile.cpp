// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Orvel

// Any settings file content through the settings store's parser; what parses must come back
// the same after one more round through its text form.
#include "settings/registryfile.h"
#include "settings/registrytext.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

using namespace orvel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char *>(data), qsizetype(size));
    RegistryFile file(QStringLiteral("HKEY_CURRENT_USER"));
    QString error;
    if (!RegistryText::parse(text, &file, &error)) {
        if (error.isEmpty())
            std::abort();
        return 0;
    }
    const QByteArray once = RegistryText::serialise(file);
    RegistryFile again(QStringLiteral("HKEY_CURRENT_USER"));
    if (!RegistryText::parse(once, &again, &error) || RegistryText::serialise(again) != once)
        std::abort();
    return 0;
}
