#pragma once
#include <QString>

// Identity of the program: the title doubles as the settings application name
// and the caption of every message box that names none of its own.
namespace AppInfo {

inline constexpr int Major = 1;
inline constexpr int Minor = 6;
inline constexpr int Revision = 620;

QString title();          // 墨桐同名文件批量替换
QString versionText();    // 1.6.620
QString windowCaption();  // 墨桐同名文件批量替换 V1.6.620 - 墨桐软件
QString executableName(); // the program file's base name

} // namespace AppInfo
