#pragma once

#include <QString>

#include <memory>

namespace quorvane::testing {

// A folder whose file system can be made full. As root a small tmpfs is mounted over it
// (what was in the folder is copied onto it), and fill() takes the last free block; a
// process without that right gets a file-size limit instead, which fails writes to files
// the same way.
class FullDisk {
public:
    explicit FullDisk(const QString& folder);
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // Whether a real file system is mounted (otherwise fill() sets the size limit).
    bool mounted() const { return m_mounted; }
    // From now on no file in the folder can grow, in this process and in the processes it
    // starts, until the object goes.
    void fill();

private:
    QString m_folder;
    bool m_mounted = false;
    struct Limit;
    std::unique_ptr<Limit> m_limit;
};

} // namespace quorvane::testing
