#include "ListDriver.h"

#include "FileBrowser.h"

#include <QTest>

namespace ListDriver {

QStringList shownNames(const FileBrowser& list)
{
    QStringList names;
    for (int row = 0; row < list.model()->rowCount(); ++row)
        names.append(list.itemText(row));
    return names;
}

void choose(FileBrowser& list, const QString& name)
{
    const int row = int(shownNames(list).indexOf(name));
    QVERIFY2(row >= 0, qPrintable("not listed: " + name));
    list.setCurrentIndex(list.model()->index(row, 0));
    QTest::keyClick(&list, Qt::Key_Return);
}

} // namespace ListDriver
