// Every caption, label and field of every window and side panel shows its whole text at the
// default font, and no text runs under a neighbouring control, in German and in English.
#include "gui/SettingsDialog.h"
#include "gui/Forms.h"
#include "gui/LineEditor.h"
#include "gui/MainWindow.h"
#include "gui/SpeedPitchDialog.h"
#include "support/AppFixture.h"
#include "gui/GraphWindow.h"
#include "gui/HotKeyPad.h"
#include "gui/KeyboardWindow.h"
#include "gui/NoteTableWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

QString where(const QWidget* widget) {
    QStringList path;
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget())
        path.prepend(w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                               : w->objectName());
    return path.join(QLatin1Char('/'));
}

/// Where a label's text is drawn, in its parent's coordinates; empty for a picture.
QRect labelTextRect(const QLabel* label) {
    if (label->text().isEmpty() || label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text())))
        return {};
    QRect contents = label->contentsRect();
    const int indent = std::max(0, label->indent());
    if (label->alignment() & Qt::AlignLeft)
        contents.setLeft(contents.left() + indent);
    else if (label->alignment() & Qt::AlignRight)
        contents.setRight(contents.right() - indent);
    int flags = int(label->alignment());
    if (label->wordWrap())
        flags |= Qt::TextWordWrap;
    const QFontMetrics metrics = label->fontMetrics();
    QRect text = metrics.boundingRect(contents, flags, plain(label->text()));
    if (!label->wordWrap() && !label->text().contains(QLatin1Char('\n'))) {
        // One line: from the first to the last inked pixel, so a bearing does not count.
        const QRect ink = metrics.tightBoundingRect(plain(label->text()));
        text = QRect(text.left() + ink.left(), text.top(), ink.width(), text.height());
    }
    return text.translated(label->pos());
}

bool interactive(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget) ||
           qobject_cast<const QComboBox*>(widget) || qobject_cast<const QSlider*>(widget);
}

/// A caption that is still German in the English interface: it has a letter English lacks.
bool looksGerman(const QString& text) {
    static const QRegularExpression umlaut(QStringLiteral("[äöüÄÖÜß]"));
    return text.contains(umlaut);
}

/// The faults found in a window: texts wider or taller than their control, texts under or
/// touching a neighbouring control; for English, captions left German.
QStringList textFaults(const QWidget& window, bool english = false) {
    QStringList faults;
    if (english) {
        for (const QAction* action : window.findChildren<QAction*>())
            if (looksGerman(action->text()))
                faults << "menu item \"" + action->text() + "\" is German";
    }
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->width() <= 0)
            continue;
        if (english) {
            for (const QString& caption :
                 {widget->windowTitle(),
                  qobject_cast<QLabel*>(widget) ? qobject_cast<QLabel*>(widget)->text() : QString(),
                  qobject_cast<QAbstractButton*>(widget)
                      ? qobject_cast<QAbstractButton*>(widget)->text()
                      : QString(),
                  qobject_cast<QGroupBox*>(widget) ? qobject_cast<QGroupBox*>(widget)->title()
                                                   : QString()})
                if (looksGerman(caption))
                    faults << where(widget) + ": \"" + caption + "\" is German";
        }
        const QFontMetrics metrics = widget->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const QRect text = labelTextRect(label);
            if (text.isEmpty())
                continue;
            if (!label->geometry().adjusted(-1, -1, 1, 1).contains(text))
                faults << where(label) + ": text cut off";
            for (const QWidget* sibling :
                 label->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (sibling != label && sibling->isVisibleTo(&window) && interactive(sibling) &&
                    sibling->geometry().intersects(text.adjusted(-1, 0, 1, 0)))
                    faults << where(label) + ": text under " + where(sibling);
            }
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            if (check->sizeHint().width() > check->width() + 1)
                faults << where(check) + ": text cut off";
        } else if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
            if (radio->sizeHint().width() > radio->width() + 1)
                faults << where(radio) + ": text cut off";
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            if (!button->text().isEmpty() &&
                metrics.horizontalAdvance(plain(button->text())) + 4 > button->width())
                faults << where(button) + ": text cut off";
        } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            QStyleOptionFrame option;
            option.initFrom(edit);
            option.rect = edit->rect();
            option.lineWidth =
                edit->hasFrame()
                    ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit)
                    : 0;
            const QRect contents =
                edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
            const QMargins margins = edit->textMargins();
            // The edit keeps two pixels on either side of its text.
            const int room = contents.width() - margins.left() - margins.right() - 4;
            if (!edit->text().isEmpty() && metrics.horizontalAdvance(edit->text()) > room)
                faults << where(edit) + ": \"" + edit->text() + "\" cut off";
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            if (!group->title().isEmpty() &&
                metrics.horizontalAdvance(plain(group->title())) + 8 > group->width())
                faults << where(group) + ": title cut off";
        }
    }
    return faults;
}

/// A settings file that chooses the language (0 German, 1 English), in the fixture's folder.
QString configWithLanguage(const QTemporaryDir& dir, int language) {
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write("[Sprache]\r\nSprache=" + QByteArray::number(language) + "\r\n");
    return path;
}

void addLanguages(const QStringList& names = {QString()}) {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("language");
    for (const QString& name : names)
        for (const auto& [language, tag] : {std::pair{0, "Deutsch"}, std::pair{1, "English"}})
            QTest::newRow(qPrintable(name.isEmpty() ? QString::fromLatin1(tag)
                                                    : name + QLatin1Char('/') + tag))
                << name << language;
}

QList<QGroupBox*> sidePanels(const TForm1& w) {
    QList<QGroupBox*> panels;
    for (QGroupBox* box : w.centralWidget()->findChildren<QGroupBox*>(Qt::FindDirectChildrenOnly))
        if (box->x() >= TForm1::kSidePanelLeft)
            panels.append(box);
    return panels;
}

} // namespace

class TestTextFits : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void mainWindowAndSidePanels_data() { addLanguages(); }
    void mainWindowAndSidePanels() {
        QFETCH(int, language);
        AppFixture app(configWithLanguage(m_dir, language));
        TForm1& w = app.main();
        QVERIFY(!sidePanels(w).isEmpty());
        QStringList faults = textFaults(w, language == 1);
        for (QGroupBox* panel : sidePanels(w)) {
            for (QGroupBox* other : sidePanels(w))
                other->setVisible(other == panel);
            faults << textFaults(*panel, language == 1);
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void windows_data() { addLanguages({"Form2", "Form3", "Form4", "Form5", "Form8", "Form11"}); }

    void windows() {
        QFETCH(QString, window);
        QFETCH(int, language);
        AppFixture app(configWithLanguage(m_dir, language));
        Forms& f = forms();
        QWidget* shown = nullptr;
        for (QWidget* candidate : std::initializer_list<QWidget*>{f.Form2(), f.Form3(), f.Form4(),
                                                                  f.Form5, f.Form8(), f.Form11})
            if (candidate->objectName() == window)
                shown = candidate;
        QVERIFY(shown != nullptr);
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown));
        const QStringList faults = textFaults(*shown, language == 1);
        shown->hide();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void settingsPages_data() { addLanguages(); }
    void settingsPages() {
        QFETCH(int, language);
        AppFixture app(configWithLanguage(m_dir, language));
        TForm6& settings = *forms().Form6;
        settings.show();
        QStringList faults;
        for (int page = 0; page < settings.TabbedNotebook1->count(); ++page) {
            settings.TabbedNotebook1->setCurrentIndex(page);
            faults << textFaults(settings, language == 1);
        }
        settings.hide();
        faults.removeDuplicates();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(TestTextFits)
#include "tst_textfits.moc"
