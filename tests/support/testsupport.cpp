#include "testsupport.h"

namespace orvel::test {

QDateTime frozenTime()
{
    return QDateTime(QDate(2026, 12, 5), QTime(7, 50, 20));
}

} // namespace orvel::test
