#include "search/engine/found_file.h"

#include <QDir>
#include <algorithm>

QString JoinPath(const QString &folder, const QString &name)
{
    const QChar sep = QDir::separator();
    if (folder.endsWith(sep) || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + sep + name;
}

void WalkFinds::beginFolder(const QString &folder)
{
    m_folder = folder;
    m_runOpen = false;
}

void WalkFinds::add(const char *name, size_t length)
{
    constexpr size_t BlockBytes = size_t(1) << 20;
    if (m_blocks.empty() || m_blocks.back().size() + length + 1 > m_blocks.back().capacity()) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(BlockBytes, length + 1));
        m_runOpen = false;
    }
    std::string &block = m_blocks.back();
    if (!m_runOpen) {
        const auto at = static_cast<quint32>(block.size());
        m_runs.push_back(Run{m_folder, static_cast<quint32>(m_blocks.size() - 1), at, at});
        m_runOpen = true;
    }
    block.append(name, length);
    block.push_back('\0');
    m_runs.back().end = static_cast<quint32>(block.size());
    ++m_count;
}

void WalkFinds::clear()
{
    m_blocks.clear();
    m_blocks.shrink_to_fit();
    m_runs.clear();
    m_runs.shrink_to_fit();
    m_folder.clear();
    m_runOpen = false;
    m_count = 0;
    readsWaited = false;
}

QString SearchExtensionOf(const QString &fileNameText)
{
    const qsizetype dot = fileNameText.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return QString();
    return fileNameText.mid(dot + 1).trimmed();
}

QString SearchPatternFor(const QString &searchExtension)
{
    if (searchExtension.isEmpty())
        return QStringLiteral("*.*");
    return QStringLiteral("*.") + searchExtension;
}

bool PatternAcceptsExtension(const QString &pattern, QStringView extension)
{
    if (extension.isEmpty())
        return false;
    // Without allocating: find "*." + extension + ";" in pattern + ";".
    const qsizetype n = extension.size();
    const qsizetype total = pattern.size() + 1;
    for (qsizetype p = 0; p + 2 + n + 1 <= total; ++p) {
        if (pattern.at(p) != QLatin1Char('*') || pattern.at(p + 1) != QLatin1Char('.'))
            continue;
        if (QStringView(pattern).mid(p + 2, n).compare(extension, Qt::CaseInsensitive) != 0)
            continue;
        const qsizetype after = p + 2 + n;
        if (after == pattern.size() || pattern.at(after) == QLatin1Char(';'))
            return true;
    }
    return false;
}
