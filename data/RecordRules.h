#pragma once

#include <QString>

#include <functional>

namespace quorvane {

// What a cursor says when a write or a read fails, and how long its fields may be. The
// defaults fit any table; the database a connection opens supplies its own.
struct RecordRules {
    QString saveFailed = QStringLiteral("无法保存记录");
    QString deleteFailed = QStringLiteral("无法删除记录");
    QString rowGone = QStringLiteral("这条记录已不在表中");
    QString readFailed = QStringLiteral("读取表失败");
    // Size of a field in characters, 0 when it has no limit.
    std::function<int(const QString& field)> fieldSize = [](const QString&) { return 0; };
};

} // namespace quorvane
