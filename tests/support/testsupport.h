#pragma once

#include <QDateTime>

namespace orvel::test {

/// The moment the tests freeze time at: 5 December 2026 07:50:20 local time.
QDateTime frozenTime();

} // namespace orvel::test
