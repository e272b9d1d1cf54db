#include "Windows/PicturesFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorvel::PicturesFolder {

QString path() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
}

} // namespace quorvel::PicturesFolder
