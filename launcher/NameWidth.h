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

// Only the few names that could be the widest are measured, judged from the
// advances of their characters: cheap enough for folders of many thousands.
NameWidth widestName(const EntryNames& names, const QFont& font);

#endif
