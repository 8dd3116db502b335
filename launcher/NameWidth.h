#ifndef NAMEWIDTH_H
#define NAMEWIDTH_H

class EntryNames;
class QFont;

// The name that is widest in a font, and the pixels to allow beyond its
// width so that every other name fits as well.
struct NameWidth
{
    int index = -1;
    int allowance = 0;
};

// Names of plain spacing text are judged from the advances of their
// characters, and only the few that could be the widest are measured: cheap
// enough for folders of many thousands. Every other name (marks, joiners,
// scripts that shape glyphs together) is measured whole.
NameWidth widestName(const EntryNames& names, const QFont& font);

#endif
