// Recent files: one settings list, the menu rebuilt from it at each change.
#include "host/qt/recentFiles.h"

#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace korvel::qt {
namespace {

const char* const recentSetting = "files/recent";
constexpr int recentFileCount = 8;

QStringList storedPaths() {
    return QSettings().value(recentSetting).toStringList();
}

} // namespace

void RecentFiles::showIn(QMenu& menu, Opener open) {
    menu_ = &menu;
    open_ = std::move(open);
    showInMenu(storedPaths());
}

void RecentFiles::remember(const QString& path) {
    QStringList recent = storedPaths();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    store(recent.mid(0, recentFileCount));
}

void RecentFiles::forget(const QString& path) {
    QStringList recent = storedPaths();
    recent.removeAll(QFileInfo(path).absoluteFilePath());
    store(recent);
}

QString RecentFiles::lastFolder() const {
    const QStringList recent = storedPaths();
    return recent.isEmpty() ? QString() : QFileInfo(recent.first()).absolutePath();
}

void RecentFiles::store(const QStringList& paths) {
    QSettings().setValue(recentSetting, paths);
    showInMenu(paths);
}

void RecentFiles::showInMenu(const QStringList& paths) {
    if (!menu_) return;
    menu_->clear();
    for (const QString& path : paths)
        menu_
            ->addAction(QFileInfo(path).fileName().replace('&', "&&"), this,
                        [this, path] { open_(path); })
            ->setToolTip(path);
    menu_->setEnabled(!paths.isEmpty());
}

} // namespace korvel::qt
