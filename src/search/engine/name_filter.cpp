#include "search/engine/name_filter.h"

#include "shell/engine/file_system.h"

bool IsAscii(const char *s, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        if (static_cast<unsigned char>(s[i]) >= 0x80)
            return false;
    return true;
}

bool NameMatches(const QString &fileName, const QString &wanted, int mode)
{
    if (wanted.isEmpty())
        return true;
    if (mode == 0)
        return fileName.compare(wanted, Qt::CaseInsensitive) == 0;
    return fileName.contains(wanted, Qt::CaseInsensitive);
}

NameFilter::NameFilter(const QString &wanted, int mode) : m_wanted(wanted), m_mode(mode)
{
    const QByteArray latin = wanted.toLatin1();
    m_ascii = latin == wanted.toUtf8() && IsAscii(latin.constData(), static_cast<size_t>(latin.size()));
    if (m_ascii)
        m_lower = latin.toLower();
}

bool NameFilter::operator()(const char *name, size_t n) const
{
    if (m_wanted.isEmpty())
        return true;
    if (!m_ascii || !IsAscii(name, n))
        return NameMatches(DecodeFileName(name, static_cast<qsizetype>(n)), m_wanted, m_mode);
    const size_t w = static_cast<size_t>(m_lower.size());
    if (m_mode == 0 ? n != w : n < w)
        return false;
    for (size_t at = 0; at + w <= n; ++at) {
        size_t i = 0;
        while (i < w && LowerAscii(name[at + i]) == m_lower[static_cast<qsizetype>(i)])
            ++i;
        if (i == w)
            return true;
        if (m_mode == 0)
            return false;
    }
    return false;
}
