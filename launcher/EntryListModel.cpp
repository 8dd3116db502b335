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

NameWidth EntryListModel::widestRow(const QFont& font) const
{
    return widestName(names, font);
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
