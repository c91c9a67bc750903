#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace quorvane::CupsQueue {

// Why the CUPS queue `name` would not print a job now (server unreachable, queue stopped or
// rejecting jobs), in the user's words; empty when it takes jobs or CUPS cannot be asked.
QString refusal(const QString& name);

// Options of a job, name and value, as `lp -o` takes them.
using JobOptions = QList<std::pair<QByteArray, QByteArray>>;

// Hands the finished document `file` to the queue `name` as the job `title`; what CUPS said
// when it did not take it, empty when it did. Later options override earlier ones.
QString printFile(const QString& name, const QString& file, const QString& title,
                  const JobOptions& options);

// Whether the CUPS library is there to be asked at all.
bool available();

} // namespace quorvane::CupsQueue
