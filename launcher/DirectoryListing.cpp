#include "DirectoryListing.h"

#include <QDir>

namespace {

const char* const nameFilter = "*.avi *.wm? *.mp? *.dat *.*";
// A literal "*.*" entry would otherwise match its own wildcard.
const char* const skippedName = "*.*";

} // namespace

std::optional<DirectoryListing> listMediaDirectory(const QString& path)
{
    QDir dir(path, QString::fromLatin1(nameFilter), QDir::DirsFirst | QDir::Name,
             QDir::AllEntries | QDir::AllDirs);
    if (!dir.isReadable())
        return std::nullopt;

    DirectoryListing listing;
    listing.canonicalPath = dir.canonicalPath();
    // Gone between the two looks: as unreadable as a missing one.
    if (listing.canonicalPath.isEmpty())
        return std::nullopt;
    listing.names = dir.entryList();
    listing.names.removeAll(QString::fromLatin1(skippedName));
    return listing;
}
