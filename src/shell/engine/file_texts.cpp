#include "shell/engine/file_texts.h"

#include "shell/engine/clock.h"

#include <QLocale>
#include <cmath>

quint64 SizeThousandths(qint64 bytes)
{
    // Float first, as the list always showed: above 2^24 bytes the last
    // decimals are coarse, and equal texts must stay equal.
    const float kb = static_cast<float>(bytes) / 1024.0f;
    // Half away from zero; the float value is exact in a double.
    const long double thousandths = std::floor(static_cast<long double>(kb) * 1000.0L + 0.5L);
    return thousandths < 0 ? 0ULL : static_cast<quint64>(thousandths);
}

QString SizeText(qint64 bytes)
{
    unsigned long long t = SizeThousandths(bytes);

    // Built by hand: a search formats every file's size.
    // The separators of the locale in force, looked up again only when it changes.
    static thread_local QLocale locale = QLocale::c();
    static thread_local QString groupText = QStringLiteral(","), point = QStringLiteral(".");
    const QLocale current;
    if (!(current == locale)) {
        locale = current;
        groupText = locale.groupSeparator();
        point = locale.decimalPoint();
    }
    char16_t buf[96];
    int pos = 96;
    for (int i = 0; i < 3; ++i, t /= 10)
        buf[--pos] = static_cast<char16_t>(u'0' + t % 10);
    const int decimals = pos;
    int digits = 0;
    do {
        if (digits > 0 && digits % 3 == 0)
            for (qsizetype g = groupText.size(); g > 0; --g)
                buf[--pos] = groupText.at(g - 1).unicode();
        buf[--pos] = static_cast<char16_t>(u'0' + t % 10);
        t /= 10;
        ++digits;
    } while (t > 0);
    QString out;
    out.reserve(96 - pos + point.size());
    out.append(reinterpret_cast<const QChar *>(buf + pos), decimals - pos);
    out.append(point);
    out.append(reinterpret_cast<const QChar *>(buf + decimals), 3);
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
    char16_t buf[19];
    const auto two = [&buf](int at, int v) {
        buf[at] = static_cast<char16_t>(u'0' + v / 10 % 10);
        buf[at + 1] = static_cast<char16_t>(u'0' + v % 10);
    };
    const int year = tm.tm_year + 1900;
    two(0, year / 100);
    two(2, year % 100);
    buf[4] = u'-';
    two(5, tm.tm_mon + 1);
    buf[7] = u'-';
    two(8, tm.tm_mday);
    buf[10] = u' ';
    two(11, tm.tm_hour);
    buf[13] = u':';
    two(14, tm.tm_min);
    buf[16] = u':';
    two(17, tm.tm_sec);
    return QString(reinterpret_cast<const QChar *>(buf), 19);
}

QString TimeText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString BackupStamp()
{
    QString s = TimeText(Clock::now());
    s.remove(QLatin1Char('-')).remove(QLatin1Char(':')).remove(QLatin1Char(' '));
    return s;
}

QString BackupStamp(const QDateTime &time)
{
    QString s = TimeText(time);
    s.remove(QLatin1Char('-')).remove(QLatin1Char(':')).remove(QLatin1Char(' '));
    return s;
}
