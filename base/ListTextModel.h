#pragma once

#include <QAbstractListModel>
#include <QStringList>

/// The texts of one list box, held as one implicitly shared string list: a row costs its
/// string and nothing else, copies of the whole list are free until one side changes, and the
/// view asks only for the rows it shows.
class ListTextModel final : public QAbstractListModel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListTextModel)

public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return int(m_texts.size()); }
    const QString& text(int row) const { return m_texts.at(row); }
    /// The whole list; shares the storage, so it costs no copy of the texts.
    const QStringList& texts() const { return m_texts; }

    void setText(int row, const QString& text);
    void append(const QString& text);
    void append(const QStringList& texts);
    void insert(int row, const QString& text);
    void remove(int row);
    /// Replaces all rows at once (views drop their selection, as for any new contents). A long
    /// list's old texts are released off the window's thread.
    void setTexts(const QStringList& texts);

signals:
    /// Sent by setText() while the row still holds its old text; dataChanged() follows.
    void textAboutToChange(int row);

private:
    QStringList m_texts;
};
