#pragma once

#include <QListWidget>

/// A list box with the semantics the song relies on: ItemIndex is -1 without a selection,
/// selecting an index outside the list clears the selection, reading or writing an item out of
/// range raises "Listenindex überschreitet das Maximum (%d)". Selection set by code emits no
/// user signal; a user's click or keyboard move emits Click, a mouse press MouseDown, a double
/// click anywhere in the list (below the items or in an empty list too) DblClick. Only a left
/// press on an item moves the selection.
class ListBox final : public QListWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ListBox)

public:
    explicit ListBox(QWidget* parent = nullptr);

    int count() const { return QListWidget::count(); }
    QString item(int index) const;
    void setItem(int index, const QString& text);
    void add(const QString& text);
    void addAll(const QStringList& texts);
    void insert(int index, const QString& text);
    void remove(int index);
    QStringList items() const;
    void clearItems();

    int itemIndex() const;
    void setItemIndex(int index);
    int topIndex() const;
    void setTopIndex(int index);

signals:
    void Click();
    void MouseDown(Qt::MouseButton button);
    void DblClick();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_captured = false; ///< a left press on an item: its release reports the selection
};
