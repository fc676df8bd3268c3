#pragma once

#include <QList>
#include <QString>

class QWidget;

/// Which window an English text belongs to.
enum class TextWindow { Main, LineEditor, HotKeyPad, Settings };

/// One caption replaced by its English text: the control's design name, and for a list, a
/// radio item or a tab its entry.
struct EnglishText {
    TextWindow window;
    QString control;
    QString text;
    int item = -1; ///< entry of a drop-down list or page of a notebook; −1 for the control itself
};

/// The English interface: the fixed texts set once, while the settings dialog is created, when
/// the stored language is English; a window created later gets its texts as it is created.
/// Messages and all other texts stay German.
class EnglishTexts {
public:
    /// Every text, in the order in which it is set.
    static const QList<EnglishText>& table();
    /// Sets every text on the program's windows that exist; a control that cannot be found is
    /// reported. The settings dialog runs it while it is created, before the program knows it.
    static void apply(QWidget& settingsDialog);
    /// Sets the texts of one window, created after the settings dialog.
    static void apply(TextWindow window, QWidget& created);
};
