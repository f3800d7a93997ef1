#include "list/engine/result_row.h"

#include "search/engine/found_file.h"
#include "shell/engine/file_texts.h"

#include <QHash>
#include <deque>

namespace {

struct StatusTable {
    std::deque<QString> texts{QString()}; // references stay valid as it grows
    QHash<QString, quint32> codes{{QString(), 0}};
};

StatusTable &statusTable()
{
    static StatusTable table;
    return table;
}

const QString &emptyFolder()
{
    static const QString none;
    return none;
}

} // namespace

quint32 StatusText::codeOf(const QString &text)
{
    StatusTable &t = statusTable();
    const auto it = t.codes.constFind(text);
    if (it != t.codes.cend())
        return *it;
    const quint32 code = static_cast<quint32>(t.texts.size());
    t.texts.push_back(text);
    t.codes.insert(text, code);
    return code;
}

const QString &StatusText::text(quint32 code)
{
    const StatusTable &t = statusTable();
    return code < t.texts.size() ? t.texts[code] : t.texts[0];
}

int StatusText::count()
{
    return static_cast<int>(statusTable().texts.size());
}

const QString &MissingSizeText()
{
    static const QString t = QStringLiteral(" 文件不存在");
    return t;
}

const QString &UnreadableSizeText()
{
    static const QString t = QStringLiteral(" 计算出错");
    return t;
}

const QString &NoTimeText()
{
    static const QString t = QStringLiteral(" ");
    return t;
}

const QString &ResultRow::folder() const
{
    return folderText ? *folderText : emptyFolder();
}
const QString &ResultRow::status() const
{
    return StatusText::text(statusCode);
}
void ResultRow::setStatus(const QString &text)
{
    statusCode = StatusText::codeOf(text);
}

QString ResultRow::sizeKB() const
{
    switch (facts) {
    case RowFacts::Known: break;
    case RowFacts::Missing: return MissingSizeText();
    case RowFacts::Unreadable: return UnreadableSizeText();
    }
    return SizeText(size);
}

QString ResultRow::modified() const
{
    if (facts != RowFacts::Known)
        return NoTimeText();
    return TimeText(static_cast<std::time_t>(mtime));
}

QString ResultRow::key() const
{
    return JoinPath(folder(), fileName);
}

QString ResultRow::text(int column) const
{
    switch (column) {
    case StatusColumn: return status();
    case NameColumn: return fileName;
    case SizeColumn: return sizeKB();
    case TimeColumn: return modified();
    case FolderColumn: return folder();
    }
    return QString();
}
