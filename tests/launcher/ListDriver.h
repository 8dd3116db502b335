#ifndef LISTDRIVER_H
#define LISTDRIVER_H

#include <QStringList>

class FileBrowser;

// Reads and drives the media list as a user sees it.
namespace ListDriver {

QStringList shownNames(const FileBrowser& list);
// Moves the cursor to the row showing `name` and presses Enter.
void choose(FileBrowser& list, const QString& name);

} // namespace ListDriver

#endif
