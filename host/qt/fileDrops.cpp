// Dropped files: only a copy of a local file is taken.
#include "host/qt/fileDrops.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace korvel::qt {

bool acceptAsCopy(QDropEvent& event) {
    const QList<QUrl> urls = event.mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile() ||
        !(event.possibleActions() & Qt::CopyAction))
        return false;
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

QString droppedFile(const QDropEvent& event) {
    return event.mimeData()->urls().first().toLocalFile();
}

} // namespace korvel::qt
