#pragma once

#include "base/Prompts.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

/// Prompts for tests: records every message and answers file dialogs, input boxes and modal
/// windows from a script. An unscripted question fails the test instead of blocking.
class ScriptedPrompts final : public Prompts {
public:
    struct Message {
        QString text;
        QString caption;
        Icon icon = Icon::None;
    };

    ScriptedPrompts();
    ~ScriptedPrompts() override;

    /// Every text shown: plain messages, message boxes and errors, in order.
    QStringList texts() const;
    QList<Message> messages;
    QStringList errors;
    QList<FileDialog> fileDialogs;

    /// Answers for the next questions, taken in order.
    QList<std::optional<QString>> fileAnswers;
    QList<std::optional<QString>> inputAnswers;
    QList<Answer> boxAnswers;
    /// The states the check boxes of questions are left in; unchanged when empty.
    QList<bool> checkAnswers;
    /// The types chosen in save dialogs with a list of types; the dialog's first when empty.
    QList<int> typeAnswers;
    /// Runs with the modal window instead of showing it; returns the window's result.
    std::function<int(QDialog&)> onModal;
    int modalCount = 0;

    void showMessage(const QString& text) override;
    Answer messageBox(const QString& text, const QString& caption, Icon icon,
                      Buttons buttons) override;
    Answer questionWithCheckBox(const QString& text, const QString& caption,
                                const QString& checkText, bool& checked) override;
    void showError(const QString& text) override;
    std::optional<QString> openFile(const FileDialog& dialog) override;
    std::optional<QString> saveFile(const FileDialog& dialog) override;
    std::optional<SaveChoice> saveFileOfType(const FileDialog& dialog) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    int execModal(QDialog& dialog) override;

private:
    std::optional<QString> nextFile(const FileDialog& dialog);
};
