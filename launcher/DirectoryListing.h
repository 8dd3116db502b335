#ifndef DIRECTORYLISTING_H
#define DIRECTORYLISTING_H

#include "EntryNames.h"

#include <QString>
#include <optional>

// What the media list shows for one directory: ".", "..", the directories,
// then the files that look like media, each group ordered as QString compares
// (UTF-16 code units, case-sensitive). Hidden names, names that are not valid
// UTF-8, dangling links, pipes, sockets and devices are left out.
struct DirectoryListing
{
    EntryNames names;
    QString canonicalPath;
};

// Lists `path` (empty means the working directory), or gives nothing when the
// directory cannot be read.
std::optional<DirectoryListing> listMediaDirectory(const QString& path);

#endif
