#pragma once

#include <QAbstractListModel>

/// A list whose rows are their own numbers, "0" … "n − 1": it holds only the count, and a
/// row's text is made when the view asks for it.
class LineNumberModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineNumberModel)

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return m_count; }
    /// Renumbers from scratch: views see new contents and drop their selection.
    void setCount(int count);
    void insertRow(int row);
    void removeRow(int row);
    /// Inserts `n` rows before `row` (the numbers after them move on).
    void addRows(int row, int n);
    /// Removes rows row … row + n − 1.
    void dropRows(int row, int n);

private:
    int m_count = 0;
};
