#include "support/SongHelpers.h"

#include "gui/ListBox.h"
#include "gui/MainWindow.h"

#include <QTest>

QStringList songRows(const TForm1& window) {
    QStringList rows;
    for (int i = 0; i < window.Memo1->count(); ++i)
        rows.append(QStringList{window.Memo1->item(i), window.Memo2->item(i),
                                window.Memo3->item(i), window.Memo4->item(i)}
                        .join(QLatin1Char(' ')));
    return rows;
}

void setSong(TForm1& window, const QStringList& rows) {
    window.Neu1Click();
    for (const QString& row : rows) {
        const QStringList fields = row.split(QLatin1Char(' '));
        window.Memo1->add(fields.value(0));
        window.Memo2->add(fields.value(1));
        window.Memo3->add(fields.value(2));
        window.Memo4->add(fields.value(3));
    }
    window.RenumberLines();
}

void clickItem(ListBox* list, int index) {
    const QRect rect = list->itemRect(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

void doubleClickItem(ListBox* list, int index) {
    const QRect rect = list->itemRect(index);
    // A double click is a press and release followed by a second press that the view sees as
    // the double click on the item it already pressed.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

QList<int> selections(const TForm1& window) {
    return {window.Line->itemIndex(), window.Memo1->itemIndex(), window.Memo2->itemIndex(),
            window.Memo3->itemIndex(), window.Memo4->itemIndex()};
}
