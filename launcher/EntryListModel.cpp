#include "EntryListModel.h"

EntryListModel::EntryListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void EntryListModel::setNames(QStringList newNames)
{
    beginResetModel();
    names = std::move(newNames);
    endResetModel();
}

QString EntryListModel::name(int row) const
{
    return row >= 0 && row < names.size() ? names.at(row) : QString();
}

int EntryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(names.size());
}

QVariant EntryListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= names.size())
        return QVariant();
    return names.at(index.row());
}
