// The list box on long lists: every operation against a plain list that does the same by
// the book, and the geometry and drawing that the view works out for itself.
#include "base/Errors.h"
#include "gui/ItemTextDelegate.h"
#include "gui/ListBox.h"

#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QStyleFactory>
#include <QStyledItemDelegate>
#include <QScrollBar>
#include <QTest>

#include <optional>

namespace {

constexpr int kLarge = 200000;

/// A style whose scroll bars show the colour of the rows beside them.
class RowColouredBars final : public QProxyStyle {
public:
    RowColouredBars() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ScrollBar)
            painter->fillRect(option->rect.adjusted(4, 20, -4, -20), option->palette.base());
    }
};

/// What a list box holds and selects, kept the plain way.
struct Reference {
    QStringList texts;
    int selected = -1;

    /// Runs one step ("add x", "insert 5 x", "remove 5", "set 5 x", "select 5", "clear",
    /// "replace n", "append n"); returns the index of the error it raises, if any.
    std::optional<int> run(const QString& step) {
        const QStringList parts = step.split(QLatin1Char(' '));
        const QString& op = parts[0];
        const int index = parts.value(1).toInt();
        const int n = int(texts.size());
        if (op == QLatin1String("add")) {
            texts.append(parts[1]);
        } else if (op == QLatin1String("insert")) {
            if (index < 0 || index > n)
                return index;
            texts.insert(index, parts[2]);
            if (selected >= index)
                ++selected;
        } else if (op == QLatin1String("remove")) {
            if (index < 0 || index >= n)
                return index;
            texts.removeAt(index);
            if (selected == index)
                selected = -1;
            else if (selected > index)
                --selected;
        } else if (op == QLatin1String("set")) {
            if (index < 0 || index >= n)
                return index;
            texts[index] = parts[2];
        } else if (op == QLatin1String("item")) {
            if (index < 0 || index >= n)
                return index;
        } else if (op == QLatin1String("select")) {
            selected = index >= 0 && index < n ? index : -1;
        } else if (op == QLatin1String("clear")) {
            texts.clear();
            selected = -1;
        } else if (op == QLatin1String("replace")) {
            texts = textsOf(index);
            selected = -1;
        } else if (op == QLatin1String("append")) {
            texts.append(textsOf(index));
        }
        return std::nullopt;
    }

    static QStringList textsOf(int count) {
        QStringList result;
        result.reserve(count);
        for (int i = 0; i < count; ++i)
            result.append(QString::number((i * 7919) % 2000));
        return result;
    }
};

/// The same step on the list box.
std::optional<int> run(ListBox& list, const QString& step) {
    const QStringList parts = step.split(QLatin1Char(' '));
    const QString& op = parts[0];
    const int index = parts.value(1).toInt();
    try {
        if (op == QLatin1String("add"))
            list.add(parts[1]);
        else if (op == QLatin1String("insert"))
            list.insert(index, parts[2]);
        else if (op == QLatin1String("remove"))
            list.remove(index);
        else if (op == QLatin1String("set"))
            list.setItem(index, parts[2]);
        else if (op == QLatin1String("item"))
            (void)list.item(index);
        else if (op == QLatin1String("select"))
            list.setItemIndex(index);
        else if (op == QLatin1String("clear"))
            list.clearItems();
        else if (op == QLatin1String("replace"))
            list.setItems(Reference::textsOf(index));
        else if (op == QLatin1String("append"))
            list.addAll(Reference::textsOf(index));
    } catch (const EListError& error) {
        const QString text = error.message();
        const qsizetype open = text.lastIndexOf(QLatin1Char('('));
        return text.mid(open + 1, text.size() - open - 2).toInt();
    }
    return std::nullopt;
}

} // namespace

class TestListBox final : public QObject {
    Q_OBJECT

private slots:
    void operationsOnALargeList_data() {
        QTest::addColumn<QStringList>("steps");
        const QString last = QString::number(kLarge - 1);
        const QString end = QString::number(kLarge);
        QTest::newRow("add at the end keeps the selection")
            << QStringList{"select 5", "add x", "add y"};
        QTest::newRow("insert before the selection shifts it")
            << QStringList{"select 1000", "insert 10 x", "insert 1000 y", "insert 1002 z"};
        QTest::newRow("insert at the end") << QStringList{"select " + last, "insert " + end + " x"};
        QTest::newRow("insert past the end fails")
            << QStringList{"insert " + QString::number(kLarge + 1) + " x", "insert -1 x"};
        QTest::newRow("remove the selected line") << QStringList{"select 123456", "remove 123456"};
        QTest::newRow("remove before and after the selection")
            << QStringList{"select 500", "remove 10", "remove 100000", "remove 0"};
        QTest::newRow("remove the last line") << QStringList{"select " + last, "remove " + last};
        QTest::newRow("remove out of range fails")
            << QStringList{"remove " + end, "remove -1", "set " + end + " x", "item -1"};
        QTest::newRow("set keeps count and selection")
            << QStringList{"select 7", "set 7 x", "set 0 y", "set " + last + " z"};
        QTest::newRow("select outside clears")
            << QStringList{"select 99", "select " + end, "select 3", "select -1"};
        QTest::newRow("clear, then grow again")
            << QStringList{"select 4", "clear", "add a", "add b", "select 1", "remove 0"};
        QTest::newRow("replace all drops the selection")
            << QStringList{"select 4", "replace 1000", "select 999", "replace 0", "add a"};
        // "step *n" runs the step n times in a row: enough to grow, split and empty the
        // stretches a long list is kept in, at its start, middle and end.
        QTest::newRow("many inserts at one place, then removals through several thousand")
            << QStringList{"select 150000", "insert 100000 x *4500", "remove 99000 *4500",
                           "set 99000 y", "remove 0 *3000", "add z *10"};
        QTest::newRow("built row by row, emptied, built again")
            << QStringList{"clear", "add a *5000", "insert 2500 b *5000", "select 9999",
                           "remove 0 *9999", "remove 0", "add c", "insert 0 d"};
        QTest::newRow("lists added at the end, then edited across them")
            << QStringList{"replace 3", "append 5000", "append 1", "add e *3", "append 9000",
                           "remove 5003 *4", "set 4999 f", "insert 14000 g"};
    }

    void operationsOnALargeList() {
        QFETCH(QStringList, steps);
        ListBox list;
        list.resize(65, 330);
        list.show();
        Reference reference;
        reference.run(QStringLiteral("replace %1").arg(kLarge));
        list.setItems(Reference::textsOf(kLarge));
        // The items read after the last step, still held while the next steps change the list:
        // what was read must stay what it was.
        QStringList held;
        QStringList heldExpected;
        int reads = 0;
        for (const QString& entry : steps) {
            const qsizetype star = entry.indexOf(QStringLiteral(" *"));
            const QString step = star < 0 ? entry : entry.left(star);
            for (int i = 0, n = star < 0 ? 1 : entry.mid(star + 2).toInt(); i < n; ++i)
                QCOMPARE(run(list, step), reference.run(step));
            QCOMPARE(list.count(), int(reference.texts.size()));
            QCOMPARE(list.itemIndex(), reference.selected);
            QCOMPARE(held, heldExpected);
            // Rows one by one before the whole list, which may rearrange how it is kept.
            for (int row = 0; row < list.count(); row += 997)
                QCOMPARE(list.item(row), reference.texts[row]);
            // Every other read finds the one before it let go of.
            if (++reads % 2 == 0)
                held.clear();
            held = list.items();
            heldExpected = reference.texts;
            QCOMPARE(held, reference.texts);
            if (!reference.texts.isEmpty())
                QCOMPARE(list.item(list.count() - 1), reference.texts.constLast());
            QCOMPARE(list.model()->rowCount(), list.count());
        }
    }

    void numbersFollowTheirCount_data() {
        QTest::addColumn<int>("count");
        QTest::newRow("none") << 0;
        QTest::newRow("one") << 1;
        QTest::newRow("a million") << 1000000;
    }

    void numbersFollowTheirCount() {
        QFETCH(int, count);
        ListBox line(nullptr, ListBox::Content::Numbers);
        line.setLineCount(3);
        line.setItemIndex(2);
        line.setLineCount(count);
        QCOMPARE(line.count(), count);
        QCOMPARE(line.itemIndex(), -1);
        if (count > 0)
            for (const int row : {0, count / 2, count - 1})
                QCOMPARE(line.item(row), QString::number(row));
        QVERIFY_THROWS_EXCEPTION(EListError, line.item(count));
    }

    void rowsSitWhereTheyAreHit_data() {
        QTest::addColumn<int>("top");
        QTest::newRow("first page") << 0;
        QTest::newRow("middle") << kLarge / 2;
        QTest::newRow("last page") << kLarge - 1;
    }

    void rowsSitWhereTheyAreHit() {
        QFETCH(int, top);
        ListBox list;
        list.setItems(Reference::textsOf(kLarge));
        list.resize(65, 330);
        list.show();
        list.setTopIndex(top);
        const int shown = list.topIndex();
        // The last page cannot start at the last row: the view ends with a full page.
        QVERIFY(shown <= top && shown > top - list.viewport()->height());
        const QRect first = list.itemRect(shown);
        QCOMPARE(first.top(), 0);
        QVERIFY(first.height() >= list.fontMetrics().height());
        QCOMPARE(list.itemRect(shown + 1).top(), first.bottom() + 1);
        QCOMPARE(list.indexAt(first.center()).row(), shown);
        QCOMPARE(list.indexAt(list.itemRect(shown + 2).center()).row(), shown + 2);
        // The last row is shown at the bottom of the last page.
        list.setTopIndex(kLarge);
        QVERIFY(list.viewport()->rect().contains(list.itemRect(kLarge - 1)));
    }

    void keysMoveThroughALargeList_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("expected");
        QTest::newRow("down") << 1000 << int(Qt::Key_Down) << 1001;
        QTest::newRow("up") << 1000 << int(Qt::Key_Up) << 999;
        QTest::newRow("up at the top") << 0 << int(Qt::Key_Up) << 0;
        QTest::newRow("down at the bottom") << kLarge - 1 << int(Qt::Key_Down) << kLarge - 1;
        QTest::newRow("end") << 5 << int(Qt::Key_End) << kLarge - 1;
        QTest::newRow("home") << 5000 << int(Qt::Key_Home) << 0;
    }

    void keysMoveThroughALargeList() {
        QFETCH(int, start);
        QFETCH(int, key);
        QFETCH(int, expected);
        ListBox list;
        list.setItems(Reference::textsOf(kLarge));
        list.resize(65, 330);
        list.show();
        list.setItemIndex(start);
        list.setFocus();
        QTest::keyClick(&list, Qt::Key(key));
        QCOMPARE(list.itemIndex(), expected);
        // The selected row is scrolled into view.
        QVERIFY(list.viewport()->rect().intersects(list.itemRect(expected)));
    }

    void movesRedrawWhatChanged_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<bool>("rowColouredBars");
        const QString last = QString::number(kLarge - 1);
        QTest::newRow("selection walks down past the bottom") << QStringList{"walk 0 40"} << false;
        QTest::newRow("selection jumps and comes back")
            << QStringList{"select 100", "select 130", "select 90", "select 5", "select " + last,
                           "select 3"}
            << false;
        const QStringList scrolled{"top 50", "top 50000", "top 120000", "top " + last, "top 1000",
                                   "top 0", "walk 30 20"};
        QTest::newRow("scrolled to either end and back") << scrolled << false;
        QTest::newRow("scroll bars that show the rows' colours") << scrolled << true;
    }

    void movesRedrawWhatChanged() {
        QFETCH(QStringList, steps);
        QFETCH(bool, rowColouredBars);
        // In a window, as the song's lists are: side by side, scrolling together, one of them
        // with rows of its own colours (their scroll bars share what they draw).
        RowColouredBars style; // outlives the window that uses it
        QWidget window;
        window.resize(170, 350);
        ListBox list(&window);
        ListBox beside(&window);
        QPalette grey = beside.palette();
        grey.setColor(QPalette::Base, QColor(128, 128, 128));
        grey.setColor(QPalette::Text, Qt::white);
        beside.setPalette(grey);
        for (ListBox* each : {&list, &beside}) {
            each->setItems(Reference::textsOf(kLarge));
            each->setFocusPolicy(Qt::NoFocus);
        }
        list.setGeometry(10, 10, 65, 330);
        beside.setGeometry(74, 10, 65, 330);
        ListBox::scrollTogether({&list, &beside});
        if (rowColouredBars) {
            for (ListBox* each : {&list, &beside})
                each->verticalScrollBar()->setStyle(&style);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // What is on the screen after each move, against the window drawn afresh.
        const auto check = [&window] {
            QCoreApplication::processEvents();
            const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
            return shown.convertToFormat(QImage::Format_RGB32) ==
                   window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        };
        for (const QString& step : steps) {
            const QStringList parts = step.split(QLatin1Char(' '));
            const int from = parts[1].toInt();
            const int to = parts.value(2, parts[1]).toInt();
            for (int row = from; from <= to ? row <= to : row >= to; row += from <= to ? 1 : -1) {
                if (parts[0] == QLatin1String("top"))
                    list.setTopIndex(row);
                else
                    list.setItemIndex(row);
                QVERIFY2(check(), qPrintable(QStringLiteral("%1 at %2").arg(step).arg(row)));
            }
        }
    }

    void keptRowsLookAsDrawnInPlace_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::newRow("scrolling down with the selection") << QStringList{"walk 0 30"};
        QTest::newRow("texts change under a selection")
            << QStringList{"select 3", "set 3 12345", "set 4 -7", "select 4", "set 4 99"};
        QTest::newRow("colours and font")
            << QStringList{"select 2", "grey", "select 3", "bold", "select 4", "white", "select 2"};
    }

    void keptRowsLookAsDrawnInPlace() {
        // Two lists side by side with the same rows: one keeps pictures of its rows, the other
        // has the style draw every row where it stands. What the screen shows must not differ.
        QFETCH(QStringList, steps);
        QWidget window;
        window.resize(140, 340);
        ListBox kept(&window);
        ListBox drawn(&window);
        drawn.setItemDelegate(new QStyledItemDelegate(&drawn));
        QStringList texts;
        for (int i = 0; i < 300; ++i)
            texts << QString::number(i % 7 == 0 ? i : 440 + i % 3);
        // Neither takes the focus when the window shows: a focused list draws its rows otherwise.
        for (ListBox* list : {&kept, &drawn}) {
            list->setItems(texts);
            list->setFocusPolicy(Qt::NoFocus);
        }
        kept.setGeometry(0, 0, 65, 330);
        drawn.setGeometry(70, 0, 65, 330);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto same = [&] {
            QCoreApplication::processEvents();
            const QImage shown = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(
                QImage::Format_RGB32);
            return shown.copy(kept.geometry()) == shown.copy(drawn.geometry());
        };
        for (const QString& step : steps) {
            const QStringList parts = step.split(QLatin1Char(' '));
            const int from = parts.value(1).toInt();
            const int to = parts[0] == QLatin1String("walk") ? parts[2].toInt() : from;
            for (int row = from; row <= to; ++row) {
                for (ListBox* list : {&kept, &drawn}) {
                    QPalette palette = list->palette();
                    QFont font = list->font();
                    if (parts[0] == QLatin1String("walk") || parts[0] == QLatin1String("select"))
                        list->setItemIndex(row);
                    else if (parts[0] == QLatin1String("set"))
                        list->setItem(row, parts[2]);
                    else if (parts[0] == QLatin1String("grey") || parts[0] == QLatin1String("white"))
                        palette.setColor(QPalette::Base, parts[0] == QLatin1String("grey")
                                                             ? QColor(128, 128, 128)
                                                             : QColor(Qt::white));
                    else if (parts[0] == QLatin1String("bold"))
                        font.setBold(true);
                    list->setPalette(palette);
                    list->setFont(font);
                }
                QVERIFY2(same(), qPrintable(QStringLiteral("%1 at %2").arg(step).arg(row)));
            }
        }
    }

    void longNumbersFitTheirColumn_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::newRow("short stays as it is") << "7" << 40;
        QTest::newRow("five digits") << "12345" << 30;
        QTest::newRow("seven digits") << "1999999" << 38;
        QTest::newRow("ten digits") << "2147483647" << 38;
    }

    void longNumbersFitTheirColumn() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFont bold;
        bold.setBold(true);
        const QFont font = ItemTextDelegate::fittingFont(bold, text, width);
        QVERIFY(QFontMetricsF(font).horizontalAdvance(text) <= width);
        // Only what does not fit is made smaller.
        if (QFontMetricsF(bold).horizontalAdvance(text) <= width)
            QCOMPARE(font, bold);
        else
            QVERIFY(QFontInfo(font).pointSizeF() < QFontInfo(bold).pointSizeF());
    }
};

QTEST_MAIN(TestListBox)
#include "tst_listbox.moc"
