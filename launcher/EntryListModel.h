#ifndef ENTRYLISTMODEL_H
#define ENTRYLISTMODEL_H

#include "DirectoryListing.h"

#include <QAbstractListModel>

// The names of one directory listing, as plain text rows: no object per row,
// for folders of many thousands of clips, and a row's text decoded only when
// the view asks for it.
class EntryListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit EntryListModel(QObject* parent = nullptr);

    // Replaces every row at once, so views lay out once per listing.
    void setNames(EntryNames names);
    // The text of a row, or a null string for a row that does not exist.
    QString name(int row) const;
    // The row showing `name`, or -1.
    int row(const QString& name) const;

    // One column of rows and no children: the view asks for every row's
    // index as it lays out a listing.
    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    EntryNames names;
};

#endif
