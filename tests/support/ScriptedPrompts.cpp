#include "support/ScriptedPrompts.h"

#include <QDialog>
#include <QTest>

ScriptedPrompts::ScriptedPrompts() { setPrompts(this); }

ScriptedPrompts::~ScriptedPrompts() { setPrompts(nullptr); }

QStringList ScriptedPrompts::texts() const {
    QStringList all;
    for (const Message& m : messages)
        all.append(m.text);
    return all;
}

void ScriptedPrompts::showMessage(const QString& text) {
    messages.append({text, QStringLiteral("Z1rpW3rk"), Icon::None});
}

Prompts::Answer ScriptedPrompts::messageBox(const QString& text, const QString& caption,
                                            Icon icon, Buttons buttons) {
    messages.append({text, caption, icon});
    if (!boxAnswers.isEmpty())
        return boxAnswers.takeFirst();
    // Unscripted, a question that could lose work is answered the safe way.
    if (buttons == Buttons::YesNoCancel)
        return Answer::Cancel;
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

Prompts::Answer ScriptedPrompts::questionWithCheckBox(const QString& text,
                                                      const QString& caption, const QString&,
                                                      bool& checked) {
    if (!checkAnswers.isEmpty())
        checked = checkAnswers.takeFirst();
    return messageBox(text, caption, Icon::Question, Buttons::OkCancel);
}

void ScriptedPrompts::showError(const QString& text) {
    errors.append(text);
    messages.append({text, QStringLiteral("Z1rpW3rk"), Icon::Error});
}

std::optional<QString> ScriptedPrompts::nextFile(const FileDialog& dialog) {
    fileDialogs.append(dialog);
    if (fileAnswers.isEmpty()) {
        QTest::qFail("unscripted file dialog", __FILE__, __LINE__);
        return std::nullopt;
    }
    return fileAnswers.takeFirst();
}

std::optional<QString> ScriptedPrompts::openFile(const FileDialog& dialog) {
    return nextFile(dialog);
}

std::optional<QString> ScriptedPrompts::saveFile(const FileDialog& dialog) {
    return nextFile(dialog);
}

std::optional<Prompts::SaveChoice> ScriptedPrompts::saveFileOfType(const FileDialog& dialog) {
    const int type = typeAnswers.isEmpty() ? dialog.filterIndex : typeAnswers.takeFirst();
    if (const auto name = nextFile(dialog))
        return SaveChoice{*name, type};
    return std::nullopt;
}

std::optional<QString> ScriptedPrompts::inputBox(const QString& caption, const QString& prompt,
                                                 const QString& defaultText) {
    messages.append({prompt, caption, Icon::Question});
    Q_UNUSED(defaultText);
    if (inputAnswers.isEmpty()) {
        QTest::qFail("unscripted input box", __FILE__, __LINE__);
        return std::nullopt;
    }
    return inputAnswers.takeFirst();
}

int ScriptedPrompts::execModal(QDialog& dialog) {
    ++modalCount;
    if (!onModal) {
        QTest::qFail("unscripted modal window", __FILE__, __LINE__);
        return QDialog::Rejected;
    }
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    const int result = onModal(dialog);
    dialog.hide();
    return result;
}
