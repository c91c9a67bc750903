#include "ui/appearance/FolderListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QStyle>
#include <QTimer>

namespace quorvane {
namespace {
constexpr int kPathRole = Qt::UserRole;
}

FolderListBox::FolderListBox(QWidget* parent) : QTreeWidget(parent) {
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setIndentation(10);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    // Queued: the move rebuilds the tree, and the activated item with it.
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        if (!item)
            return;
        const QString path = item->data(0, kPathRole).toString();
        QTimer::singleShot(0, this, [this, path] { setDirectory(path); });
    });
}

bool FolderListBox::setDirectory(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir())
        return false;
    const QString cleaned = QDir::cleanPath(info.absoluteFilePath());
    if (cleaned == m_directory)
        return true;
    m_directory = cleaned;
    rebuild();
    Q_EMIT directoryChanged(m_directory);
    return true;
}

void FolderListBox::rebuild() {
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    // The chain of ancestors, each one the child of the one above.
    QStringList chain;
    for (QDir dir(m_directory);;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    QTreeWidgetItem* parent = nullptr;
    for (const QString& folder : chain) {
        const QString name =
            QDir(folder).isRoot() ? QDir::toNativeSeparators(folder) : QFileInfo(folder).fileName();
        auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
        item->setText(0, name);
        item->setIcon(0, open);
        item->setData(0, kPathRole, folder);
        parent = item;
    }
    const QFileInfoList children =
        QDir(m_directory)
            .entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& child : children) {
        auto* item = new QTreeWidgetItem(parent);
        item->setText(0, child.fileName());
        item->setIcon(0, closed);
        item->setData(0, kPathRole, QDir::cleanPath(child.absoluteFilePath()));
    }
    expandAll();
    setCurrentItem(parent);
    scrollToItem(parent);
}

} // namespace quorvane
