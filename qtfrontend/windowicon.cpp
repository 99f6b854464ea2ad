#include "qtfrontend/windowicon.h"

#include <QDirIterator>
#include <QImageReader>
#include <QPixmap>

namespace kennfix {

QIcon WindowIcon()
{
    QIcon icon;
    QDirIterator pngs(QStringLiteral(":/icons"));
    while (pngs.hasNext()) {
        QImageReader reader(pngs.next(), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

}  // namespace kennfix
