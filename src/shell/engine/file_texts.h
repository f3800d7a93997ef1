#pragma once
#include <QDateTime>
#include <QString>
#include <ctime>

// The texts that show a file's size and time in the list and the master-file
// line; they are compared as texts, so every place must build them here.

// Bytes as kilobytes "#,###,##0.000": the byte count as a 32-bit float
// divided by 1024, the locale's group separator, three decimals.
QString SizeText(qint64 bytes);
// The number SizeText shows, in thousandths: equal texts, equal numbers.
quint64 SizeThousandths(qint64 bytes);

// Local time "yyyy-MM-dd HH:mm:ss".
QString TimeText(std::time_t secondsSinceEpoch);
QString TimeText(const QDateTime &time);

// Backup names: the file's whole name + "[" + 14-digit stamp + a tag. The
// search lets every name ending in a tag through, whatever its extension.
inline const QString ReplaceTag = QStringLiteral("替换备份]");
inline const QString RestoreTag = QStringLiteral("恢复备份]");
inline constexpr int BackupSuffixLength = 20;

// The 14-digit stamp of a backup name: the time text without "-", ":", " ".
QString BackupStamp(const QDateTime &time);
QString BackupStamp(); // now, as Clock tells it
