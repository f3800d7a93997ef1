#pragma once
#include <QString>
#include <optional>

// The per-user settings store: text values addressed by section and key under
// the application title (an INI file under the XDG config folder on Linux).
namespace Settings {

inline const QString MainSection = QStringLiteral("Form1");
inline const QString OptionSection = QStringLiteral("设置");
inline const QString NoBackupKey = QStringLiteral("不备份");

QString read(const QString &section, const QString &key, const QString &defaultValue);
void write(const QString &section, const QString &key, const QString &value);

// A stored text turned into a number and that into a whole number; nothing
// when the text holds no number.
std::optional<int> toWholeNumber(const QString &text);

} // namespace Settings
