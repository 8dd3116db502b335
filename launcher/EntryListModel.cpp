#include "EntryListModel.h"

EntryListModel::EntryListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void EntryListModel::setNames(EntryNames newNames)
{
    beginResetModel();
    names = std::move(newNames);
    endResetModel();
}

QString EntryListModel::name(int row) const
{
    return names.text(row);
}

int EntryListModel::row(const QString& name) const
{
    return names.indexOf(name);
}

QModelIndex EntryListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || row >= names.size() || column != 0 || parent.isValid())
        return QModelIndex();
    return createIndex(row, column);
}

int EntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : names.size();
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= names.size())
        return QVariant();
    return names.text(index.row());
}
