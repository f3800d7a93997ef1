#pragma once
#include <QString>

// Elapsed seconds as 1小时2分钟3秒, 2分钟5秒 or 7秒; fractions are dropped.
QString 时分秒(float seconds);
