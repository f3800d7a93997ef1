#pragma once
#include <QByteArray>
#include <QString>
#include <cstddef>

// Whether a name's bytes are plain ASCII: such a name is compared as bytes,
// where letter case folds the same way as in the decoded text.
bool IsAscii(const char *s, size_t n);
inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Which collected files the name box lets through: every file when it is
// empty, else equal names (mode 0) or names that contain it (mode 1), letter
// case ignored; the text is used untrimmed.
bool NameMatches(const QString &fileName, const QString &wanted, int mode);

// NameMatches on a name's bytes: a plain-ASCII name against a plain-ASCII
// text is compared as bytes; any other name is decoded and goes the exact way.
class NameFilter {
public:
    NameFilter(const QString &wanted, int mode);
    bool operator()(const char *name, size_t n) const;

private:
    QString m_wanted;
    int m_mode;
    bool m_ascii = false;
    QByteArray m_lower;
};
