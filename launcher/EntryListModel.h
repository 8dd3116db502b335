#ifndef ENTRYLISTMODEL_H
#define ENTRYLISTMODEL_H

#include "EntryNames.h"

#include <QAbstractListModel>

// The names of one directory listing, as plain text rows. Much lighter than
// one item object per row, which matters on cards with huge directories; a
// row's text is decoded when the view asks for it.
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

    // The view asks for every row's index as it lays out a listing: cheaper
    // than the general checks of QAbstractListModel.
    QModelIndex index(int row, int column = 0,
                      const QModelIndex& parent = QModelIndex()) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    EntryNames names;
};

#endif
