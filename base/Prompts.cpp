#include "base/Prompts.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>

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

class RealPrompts final : public Prompts {
public:
    void showMessage(const QString& text) override {
        QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                        QMessageBox::Ok, QApplication::activeWindow());
        box.exec();
    }

    Answer messageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override {
        QMessageBox::StandardButtons qtButtons = QMessageBox::Ok;
        if (buttons == Buttons::YesNo)
            qtButtons = QMessageBox::Yes | QMessageBox::No;
        else if (buttons == Buttons::OkCancel)
            qtButtons = QMessageBox::Ok | QMessageBox::Cancel;
        if (icon == Icon::Warning || icon == Icon::Error)
            QApplication::beep();
        QMessageBox box(toQt(icon), caption, text, qtButtons, QApplication::activeWindow());
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

    std::optional<QString> openFile(const FileDialog& dialog) override {
        const QString name =
            QFileDialog::getOpenFileName(QApplication::activeWindow(), dialog.title,
                                         dialog.initialDir, toQtFilter(dialog.filter));
        if (name.isEmpty())
            return std::nullopt;
        return name;
    }

    std::optional<QString> saveFile(const FileDialog& dialog) override {
        const QString name = QFileDialog::getSaveFileName(
            QApplication::activeWindow(), dialog.title,
            dialog.fileName.isEmpty() ? dialog.initialDir : dialog.fileName,
            toQtFilter(dialog.filter));
        if (name.isEmpty())
            return std::nullopt;
        return withDefaultExt(name, dialog.defaultExt);
    }

    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override {
        bool ok = false;
        const QString text = QInputDialog::getText(QApplication::activeWindow(), caption, prompt,
                                                   QLineEdit::Normal, defaultText, &ok);
        if (!ok)
            return std::nullopt;
        return text;
    }

    int execModal(QDialog& dialog) override { return dialog.exec(); }
};

RealPrompts g_realPrompts;
Prompts* g_prompts = &g_realPrompts;

} // namespace

Prompts& prompts() { return *g_prompts; }

void setPrompts(Prompts* prompts) { g_prompts = prompts ? prompts : &g_realPrompts; }

QString toQtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append(QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '))));
    return entries.join(QStringLiteral(";;"));
}
