#ifndef RES_ICON_READER_H
#define RES_ICON_READER_H

#include <QPixmap>

// Looks up the platform's named system icons. Unknown names give a null pixmap.
class RES_ICON_Reader
{
public:
    QPixmap getIcon(const char* name) const;
};

#endif
