#include "base/ToolkitTranslations.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

QStringList buttonTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QPushButton* button : dialog.findChildren<QPushButton*>())
        if (!button->text().isEmpty())
            texts.append(button->text().remove(QLatin1Char('&')));
    return texts;
}

QStringList labelTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>())
        texts.append(label->text().remove(QLatin1Char('&')));
    return texts;
}

} // namespace

class TestToolkitTranslations : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { installToolkitTranslations(true); }

    void inputBoxButtons_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("German") << false << "Abbrechen";
        QTest::newRow("English") << true << "Cancel";
        QTest::newRow("German again") << false << "Abbrechen";
    }

    void inputBoxButtons() {
        QFETCH(bool, english);
        QFETCH(QString, cancel);
        installToolkitTranslations(!english); // the other language first: switching works
        QVERIFY(installToolkitTranslations(english));
        QInputDialog box;
        box.setLabelText(QStringLiteral("Geschwindigkeit"));
        box.show();
        QVERIFY(buttonTexts(box).contains(cancel));
        QVERIFY(buttonTexts(box).contains(QStringLiteral("OK")));
    }

    void messageBoxButtons_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("German") << false << QStringList{"Ja", "Nein", "Abbrechen"};
        QTest::newRow("English") << true << QStringList{"Yes", "No", "Cancel"};
    }

    void messageBoxButtons() {
        QFETCH(bool, english);
        QFETCH(QStringList, texts);
        QVERIFY(installToolkitTranslations(english));
        QDialogButtonBox buttons(QDialogButtonBox::Yes | QDialogButtonBox::No |
                                 QDialogButtonBox::Cancel);
        for (const QString& text : texts)
            QVERIFY2(buttonTexts(buttons).contains(text), qPrintable(text));
    }

    // The toolkit's own file dialog (the one used without a desktop's dialog service).
    void fileDialog_data() {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("lookIn");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("German") << false << "Suchen in:"
                                << "Abbrechen";
        QTest::newRow("English") << true << "Look in:"
                                 << "Cancel";
    }

    void fileDialog() {
        QFETCH(bool, english);
        QFETCH(QString, lookIn);
        QFETCH(QString, cancel);
        QVERIFY(installToolkitTranslations(english));
        QFileDialog dialog(nullptr, QStringLiteral("Öffnen"), QDir::tempPath());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.show();
        QVERIFY2(labelTexts(dialog).contains(lookIn), qPrintable(labelTexts(dialog).join('|')));
        QVERIFY2(buttonTexts(dialog).contains(cancel), qPrintable(buttonTexts(dialog).join('|')));
        dialog.hide();
    }
};

QTEST_MAIN(TestToolkitTranslations)
#include "tst_toolkittranslations.moc"
