#include "frame/programicon.h"

#include "services/embedded.h"

// The embedded data are declared at global scope, where the build defines them.
static QByteArray png(int pixels)
{
    return pixels <= 48 ? TOLVANE_EMBEDDED(tolvane_48_png) : TOLVANE_EMBEDDED(tolvane_64_png);
}

namespace tolvane {

QPixmap programPicture(int pixels)
{
    QPixmap picture;
    picture.loadFromData(png(pixels), "PNG");
    return picture;
}

QIcon programIcon()
{
    QIcon icon;
    icon.addPixmap(programPicture(48));
    icon.addPixmap(programPicture(64));
    return icon;
}

}  // namespace tolvane
