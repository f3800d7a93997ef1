#include "shell/file_texts.h"

#include <QLocale>
#include <cmath>
#include <cstdio>

QString SizeText(qint64 bytes)
{
    // Float first, as the list always showed: above 2^24 bytes the last
    // decimals are coarse, and equal texts must stay equal.
    const float kb = static_cast<float>(bytes) / 1024.0f;
    // Half away from zero; the float value is exact in a double.
    const long double thousandths = std::floor(static_cast<long double>(kb) * 1000.0L + 0.5L);
    const unsigned long long t = thousandths < 0 ? 0ULL : static_cast<unsigned long long>(thousandths);
    const unsigned long long whole = t / 1000;
    const unsigned frac = static_cast<unsigned>(t % 1000);

    const QLocale locale;
    const QString group = locale.groupSeparator();
    const QString point = locale.decimalPoint();

    char digits[32];
    const int n = std::snprintf(digits, sizeof digits, "%llu", whole);
    QString out;
    out.reserve(n + n / 3 + 4);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += group;
        out += QLatin1Char(digits[i]);
    }
    char tail[8];
    std::snprintf(tail, sizeof tail, "%03u", frac);
    out += point;
    out += QLatin1String(tail);
    return out;
}

QString TimeText(std::time_t secondsSinceEpoch)
{
    struct tm tm;
#ifdef Q_OS_WIN
    if (localtime_s(&tm, &secondsSinceEpoch) != 0)
        return QString();
#else
    // localtime_r reads the time zone once, not per call.
    if (!localtime_r(&secondsSinceEpoch, &tm))
        return QString();
#endif
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return QString::fromLatin1(buf);
}

QString TimeText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString BackupStamp(const QDateTime &time)
{
    QString s = TimeText(time);
    s.remove(QLatin1Char('-')).remove(QLatin1Char(':')).remove(QLatin1Char(' '));
    return s;
}

bool ParseSizeText(const QString &text, double *value)
{
    const QLocale locale;
    bool ok = false;
    double v = locale.toDouble(text.trimmed(), &ok);
    if (!ok) {
        // Texts written under another locale still sort by their number.
        QString plain = text.trimmed();
        plain.remove(locale.groupSeparator());
        v = QLocale::c().toDouble(plain, &ok);
    }
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}
