#pragma once

#include <QTreeWidget>

namespace quorvane {

// The folder list of the background chooser: the current folder's ancestors from the root
// down, the current folder selected, and its sub-folders. Activating an entry (double click,
// Enter) makes it the current folder.
class FolderListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderListBox(QWidget* parent = nullptr);

    // The current folder, without a trailing separator except for a root ("/").
    QString directory() const { return m_directory; }
    // False, and nothing changes, when `path` is no readable folder.
    bool setDirectory(const QString& path);

Q_SIGNALS:
    void directoryChanged(const QString& directory);

private:
    void rebuild();

    QString m_directory;
};

} // namespace quorvane
