#include "search/engine/elapsed_text.h"

#include <cmath>

QString 时分秒(float seconds)
{
    const double t = seconds > 0 ? static_cast<double>(seconds) : 0.0;
    const long long h = static_cast<long long>(std::floor(t / 3600.0));
    const long long m = static_cast<long long>(std::floor((t - 3600.0 * h) / 60.0));
    const long long s = static_cast<long long>(std::floor(t - 3600.0 * h - 60.0 * m));
    if (h > 0)
        return QStringLiteral("%1小时%2分钟%3秒").arg(h).arg(m).arg(s);
    if (m > 0)
        return QStringLiteral("%1分钟%2秒").arg(m).arg(s);
    return QStringLiteral("%1秒").arg(s);
}
