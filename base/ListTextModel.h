#pragma once

#include "base/PackedTexts.h"

#include <QAbstractListModel>

/// The texts of one list box, kept packed (see `PackedTexts`): a row costs its bytes, and the
/// view asks only for the rows it shows. Whole runs of rows go in and out at once, each with
/// one notification, and a run read out shares the list's blocks instead of copying them.
class ListTextModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListTextModel)

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return int(m_texts.size()); }
    QString text(int row) const { return m_texts.at(row); }
    /// All rows.
    const PackedTexts& texts() const { return m_texts; }
    /// Rows first … first + n − 1.
    PackedTexts texts(int first, int n) const { return m_texts.mid(first, n); }

    void setText(int row, const QString& text);
    void append(const QString& text);
    void append(const PackedTexts& texts);
    void insert(int row, const QString& text);
    /// Inserts the texts before `row` (at the end for `row` = count()): one notification.
    void insert(int row, const PackedTexts& texts);
    void remove(int row) { remove(row, 1); }
    /// Removes rows row … row + n − 1: one notification.
    void remove(int row, int n);
    /// Replaces rows row … row + texts.size() − 1 by the texts: one notification.
    void replace(int row, const PackedTexts& texts);
    /// Replaces all rows at once (views drop their selection, as for any new contents).
    void setTexts(const PackedTexts& texts);

signals:
    /// Sent by setText() and replace() while rows first … last still hold their old texts;
    /// dataChanged() follows for the same rows.
    void textsAboutToChange(int first, int last);

private:
    PackedTexts m_texts;
};
