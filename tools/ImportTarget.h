#pragma once

#include "data/IdiomDatabase.h"
#include "data/IdiomEntry.h"

#include <QString>

#include <vector>

namespace quorvane {

// The new database of an import, built beside its target under a name of its own
// ("cy.mdb.import-Ab12Cd") and renamed over the target only when complete. While it is
// built the file is locked, so that another import of the same target can tell it from
// the leftovers of one that was killed, which it removes before it starts. One import at
// a time per process: the signal handlers know of the latest build only.
class ImportTarget {
public:
    // Removes stale builds of `target`, then reserves the file to build in.
    // Throws QuorvaneError.
    explicit ImportTarget(const QString& target);
    // Removes the build file and its journal unless it was committed.
    ~ImportTarget();
    ImportTarget(const ImportTarget&) = delete;
    ImportTarget& operator=(const ImportTarget&) = delete;

    QString buildPath() const { return m_build; }

    // Writes the rows into the build file. Throws QuorvaneError.
    void write(const std::vector<IdiomEntry>& entries, const IdiomDatabase::Progress& progress);
    // Replaces the target with the finished build.
    void commit();

    // Removes builds of `target` that no running import holds, with their journals.
    // Returns how many files went.
    static int sweep(const QString& target);

    // From now on SIGINT, SIGTERM and SIGHUP remove the build in progress before the process
    // ends, and a file-size limit fails the write (reported like a full disk) instead.
    static void removeBuildOnSignals();

private:
    QString m_target;
    QString m_build;
    int m_lock = -1;
    bool m_committed = false;
};

} // namespace quorvane
