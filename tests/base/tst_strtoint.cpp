#include "base/Errors.h"
#include "base/IntMath.h"
#include "gui/ListBox.h"
#include "base/StrToInt.h"
#include "base/Guard.h"
#include "support/ScriptedPrompts.h"

#include <QApplication>
#include <QTest>

#include <limits>

class TestBase : public QObject {
    Q_OBJECT

private slots:
    void convert_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("decimal") << "440" << true << 440;
        QTest::newRow("zero") << "0" << true << 0;
        QTest::newRow("leading zeros") << "007" << true << 7;
        QTest::newRow("plus") << "+12" << true << 12;
        QTest::newRow("minus") << "-12" << true << -12;
        QTest::newRow("leading blanks") << "   250" << true << 250;
        QTest::newRow("blanks after sign") << "- 5" << false << 0;
        QTest::newRow("trailing blank") << "250 " << false << 0;
        QTest::newRow("tab is no blank") << "\t5" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("blanks only") << "   " << false << 0;
        QTest::newRow("sign only") << "-" << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("decimal point") << "1.5" << false << 0;
        QTest::newRow("max") << "2147483647" << true << 2147483647;
        QTest::newRow("min") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("max + 1") << "2147483648" << false << 0;
        QTest::newRow("min - 1") << "-2147483649" << false << 0;
        QTest::newRow("huge") << "99999999999999999999999" << false << 0;
        QTest::newRow("dollar hex") << "$1F" << true << 31;
        QTest::newRow("x hex") << "x1f" << true << 31;
        QTest::newRow("X hex") << "X10" << true << 16;
        QTest::newRow("0x hex") << "0x1B8" << true << 440;
        QTest::newRow("0X hex") << "0XfF" << true << 255;
        QTest::newRow("negative hex") << "-$10" << true << -16;
        QTest::newRow("blank before hex") << " $10" << true << 16;
        QTest::newRow("hex all bits") << "$FFFFFFFF" << true << -1;
        QTest::newRow("hex 33 bits") << "$100000000" << false << 0;
        QTest::newRow("prefix only") << "$" << false << 0;
        QTest::newRow("0x only") << "0x" << false << 0;
        QTest::newRow("bad hex digit") << "$1G" << false << 0;
        QTest::newRow("hex after zero digit") << "00x1" << false << 0;
        QTest::newRow("full-width digits") << QString::fromUtf8("１２") << false << 0;
    }

    void convert() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const auto result = TryStrToInt(text);
        QCOMPARE(result.has_value(), valid);
        if (valid) {
            QCOMPARE(*result, value);
            QCOMPARE(StrToInt(text), value);
        } else {
            try {
                StrToInt(text);
                QFAIL("no error raised");
            } catch (const EConvertError& e) {
                QCOMPARE(e.message(), QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
            }
        }
    }

    void errorTexts_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("not found") << 2 << "Datei nicht gefunden";
        QTest::newRow("bad name") << 3 << "Ungültiger Dateiname";
        QTest::newRow("denied") << 5 << "Dateizugriff verweigert";
        QTest::newRow("disk full") << 39 << "Zu wenig Speicherplatz";
        QTest::newRow("other") << 103 << "E/A-Fehler 103";
    }

    void errorTexts() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(EInOutError(code).message(), text);
    }

    void intDiv_data() {
        QTest::addColumn<int>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("quotient");
        constexpr int lowest = std::numeric_limits<int>::min();
        QTest::newRow("toward zero, negative dividend") << -7 << 2 << -3;
        QTest::newRow("toward zero, negative divisor") << 7 << -2 << -3;
        QTest::newRow("both negative") << -7 << -2 << 3;
        QTest::newRow("by minus one") << 5 << -1 << -5;
        QTest::newRow("lowest by one") << lowest << 1 << lowest;
        QTest::newRow("lowest by minus one wraps") << lowest << -1 << lowest;
    }

    void intDiv() {
        QFETCH(int, dividend);
        QFETCH(int, divisor);
        QFETCH(int, quotient);
        QCOMPARE(IntDiv(dividend, divisor), quotient);
    }

    void divisionByZero() {
        QCOMPARE(IntDiv(-7, 2), -3);
        QVERIFY_THROWS_EXCEPTION(EDivByZero, IntDiv(1, 0));
        QVERIFY_THROWS_EXCEPTION(EZeroDivide, RealDiv(1.0L, 0.0L));
        QCOMPARE(QString::fromStdString(EDivByZero().what()), QStringLiteral("Division durch Null"));
    }

    void guardShowsErrorTexts() {
        ScriptedPrompts prompts;
        QVERIFY(guarded([] {}));
        QVERIFY(!guarded([] { StrToInt("x"); }));
        QVERIFY(!guarded([] { throw std::bad_alloc(); }));
        QVERIFY(!guarded([] { throw EListError(-1); }));
        QCOMPARE(prompts.errors, QStringList({"'x' ist kein gültiger Integerwert",
                                              "Zu wenig Arbeitsspeicher",
                                              "Listenindex überschreitet das Maximum (-1)"}));
    }

    void listBoxSelection() {
        ListBox list;
        list.addAll({"a", "b", "c"});
        QCOMPARE(list.itemIndex(), -1);
        list.setItemIndex(1);
        QCOMPARE(list.itemIndex(), 1);
        list.setItemIndex(3); // one past the end clears
        QCOMPARE(list.itemIndex(), -1);
        list.setItemIndex(2);
        list.remove(2); // removing the selected item leaves none selected
        QCOMPARE(list.itemIndex(), -1);
        list.setItemIndex(1);
        list.remove(0); // removing an earlier item keeps the same item selected
        QCOMPARE(list.itemIndex(), 0);
        QCOMPARE(list.item(0), QStringLiteral("b"));
    }

    void listBoxRange() {
        ListBox list;
        list.add("x");
        try {
            list.item(-1);
            QFAIL("no error raised");
        } catch (const EListError& e) {
            QCOMPARE(e.message(), QStringLiteral("Listenindex überschreitet das Maximum (-1)"));
        }
        QVERIFY_THROWS_EXCEPTION(EListError, list.setItem(1, "y"));
        QVERIFY_THROWS_EXCEPTION(EListError, list.remove(5));
    }

    void listBoxSignalsOnlyForUser() {
        ListBox list;
        list.addAll({"a", "b", "c"});
        int clicks = 0;
        connect(&list, &ListBox::Click, this, [&] { ++clicks; });
        list.setItemIndex(2);
        QCOMPARE(clicks, 0);
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Up);
        QCOMPARE(list.itemIndex(), 1);
        QCOMPARE(clicks, 1);
    }
};

QTEST_MAIN(TestBase)
#include "tst_strtoint.moc"
