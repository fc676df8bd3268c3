#include "gui/DialogPrompts.h"

#include "base/Prompts.h"
#include "base/TerminationSignals.h"
#include "gui/UiLanguage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QCheckBox>
#include <QMessageBox>

#include <algorithm>
#include <cstdio>

namespace {


QMessageBox::Icon toQt(Prompts::Icon icon) {
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Warning:
        return QMessageBox::Warning;
    case Prompts::Icon::Error:
        return QMessageBox::Critical;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QString withDefaultExt(const QString& name, const QString& defaultExt) {
    if (name.isEmpty() || defaultExt.isEmpty() || !QFileInfo(name).suffix().isEmpty())
        return name;
    return defaultExt.startsWith(QLatin1Char('.')) ? name + defaultExt
                                                   : name + QLatin1Char('.') + defaultExt;
}

/// The filter with each description in the interface language; the patterns stay.
QString translatedFilter(const QString& filter) {
    QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i < parts.size(); i += 2)
        parts[i] = UiLanguage::text(parts[i]);
    return parts.join(QLatin1Char('|'));
}

/// After a termination signal the program is ending from outside: nobody may be there to
/// answer, so a message goes to stderr instead of a box that would hold up the end (a settings
/// file that cannot be written, for one).
bool endingBySignal(const QString& text) {
    if (!TerminationSignals::received())
        return false;
    if (!text.isEmpty())
        std::fprintf(stderr, "z1rpw3rk: %s\n", qPrintable(text));
    return true;
}

class RealPrompts final : public Prompts {
public:
    void showMessage(const QString& text) override {
        if (endingBySignal(text))
            return;
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                        UiLanguage::text(text),
                        QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }

    Answer messageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override {
        if (endingBySignal(text))
            return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
        QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
        if (buttons == Buttons::YesNo)
            qtButtons = QMessageBox::Yes | QMessageBox::No;
        else if (buttons == Buttons::OkCancel)
            qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
        else if (buttons == Buttons::YesNoCancel)
            qtButtons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        if (icon == Icon::Warning || icon == Icon::Error)
            QApplication::beep();
        QMessageBox box(toQt(icon), UiLanguage::text(caption), UiLanguage::text(text), qtButtons,
                        QApplication::activeWindow());
        if (buttons == Buttons::YesNoCancel) {
            box.button(QMessageBox::Yes)->setText(UiLanguage::text(QStringLiteral("&Ja")));
            box.button(QMessageBox::No)->setText(UiLanguage::text(QStringLiteral("&Nein")));
            box.button(QMessageBox::Cancel)->setText(UiLanguage::text(QStringLiteral("Abbrechen")));
            box.setEscapeButton(QMessageBox::Cancel);
        }
        switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            return Answer::Ok;
        }
    }

    void showError(const QString& text) override {
        messageBox(text, QApplication::applicationDisplayName(), Icon::Error, Buttons::Ok);
    }

    Answer questionWithCheckBox(const QString& text, const QString& caption,
                                const QString& checkText, bool& checked) override {
        if (endingBySignal(text))
            return Answer::Cancel;
        QMessageBox box(QMessageBox::Question, UiLanguage::text(caption), UiLanguage::text(text),
                        QMessageBox::Ok | QMessageBox::Cancel, QApplication::activeWindow());
        box.button(QMessageBox::Cancel)->setText(UiLanguage::text(QStringLiteral("Abbrechen")));
        auto* check = new QCheckBox(UiLanguage::text(checkText), &box);
        check->setObjectName(QStringLiteral("questionCheckBox"));
        check->setChecked(checked);
        box.setCheckBox(check);
        const bool ok = box.exec() == QMessageBox::Ok;
        checked = check->isChecked();
        return ok ? Answer::Ok : Answer::Cancel;
    }

    std::optional<QString> openFile(const FileDialog& dialog) override {
        return runFileDialog(dialog, QFileDialog::AcceptOpen,
                             dialog.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }

    std::optional<QString> saveFile(const FileDialog& dialog) override {
        return runFileDialog(dialog, QFileDialog::AcceptSave, QFileDialog::AnyFile);
    }

    std::optional<SaveChoice> saveFileOfType(const FileDialog& dialog) override {
        FileDialog typed = dialog;
        typed.defaultExt.clear();
        int chosen = dialog.filterIndex;
        const auto name = runFileDialog(typed, QFileDialog::AcceptSave, QFileDialog::AnyFile,
                                        &chosen);
        if (!name)
            return std::nullopt;
        return SaveChoice{*name, chosen};
    }

    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override {
        if (endingBySignal(QString()))
            return std::nullopt;
        QInputDialog box(QApplication::activeWindow());
        box.setWindowTitle(UiLanguage::text(caption));
        box.setLabelText(UiLanguage::text(prompt));
        box.setTextValue(defaultText);
        // Wide enough that the title bar shows the whole caption beside its buttons: a narrow
        // box has the window manager cut it short. The box's layout sets its size from its
        // parts, so its prompt is made that wide.
        const int wanted = box.fontMetrics().horizontalAdvance(box.windowTitle()) + 160;
        if (auto* label = box.findChild<QLabel*>())
            label->setMinimumWidth(std::max(label->minimumWidth(), wanted - 24));
        if (box.exec() != QDialog::Accepted)
            return std::nullopt;
        return box.textValue();
    }

    int execModal(QDialog& dialog) override {
        return endingBySignal(QString()) ? QDialog::Rejected : dialog.exec();
    }

private:
    static std::optional<QString> runFileDialog(const FileDialog& dialog,
                                                QFileDialog::AcceptMode mode,
                                                QFileDialog::FileMode fileMode,
                                                int* chosenType = nullptr) {
        if (endingBySignal(QString()))
            return std::nullopt;
        const QStringList types =
            toQtFilter(translatedFilter(dialog.filter)).split(QStringLiteral(";;"));
        QFileDialog box(QApplication::activeWindow(), UiLanguage::text(dialog.title),
                        dialog.initialDir, types.join(QStringLiteral(";;")));
        box.setAcceptMode(mode);
        box.setFileMode(fileMode);
        box.setOption(QFileDialog::DontConfirmOverwrite, !dialog.confirmOverwrite);
        if (dialog.filterIndex > 0 && dialog.filterIndex < types.size())
            box.selectNameFilter(types.at(dialog.filterIndex));
        if (!dialog.fileName.isEmpty())
            box.selectFile(dialog.fileName);
        if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
            return std::nullopt;
        if (chosenType)
            *chosenType = std::max(0, int(types.indexOf(box.selectedNameFilter())));
        const QString name = box.selectedFiles().constFirst();
        // A name typed without extension gets the default one, unless that file exists as typed.
        if (fileMode == QFileDialog::AnyFile && !QFileInfo::exists(name))
            return withDefaultExt(name, dialog.defaultExt);
        return name;
    }
};

RealPrompts g_realPrompts;

} // namespace

void useDialogPrompts() {
    setDefaultPrompts(&g_realPrompts);
}
