// The files last loaded or saved, newest first, kept in the settings across
// runs and listed in the Open Recent menu; a file that fails to load leaves
// the list.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMenu;

namespace korvel::qt {

class RecentFiles final : public QObject {
  public:
    using Opener = std::function<void(const QString& path)>;
    using QObject::QObject;

    // Keeps menu listing the files, each opened with open when chosen.
    void showIn(QMenu& menu, Opener open);
    void remember(const QString& path);
    void forget(const QString& path);
    // The newest file's folder, or empty when there is none.
    QString lastFolder() const;

  private:
    void store(const QStringList& paths);
    void showInMenu(const QStringList& paths);

    QMenu* menu_ = nullptr;
    Opener open_;
};

} // namespace korvel::qt
