#pragma once

#include "platform/dialoghost.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QFont>

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace sorvant::testing {

// A DialogHost that answers from a script and records every request. A dialog
// the test did not script fails the test and is answered with Cancel, so a
// test can never hang on a modal dialog.
class ScriptedDialogHost : public DialogHost
{
public:
    struct MessageCall {
        QString text, caption;
        MessageButtons buttons;
        MessageIcon icon;
    };

    std::deque<FileDialogAnswer> openAnswers, saveAnswers;
    std::deque<bool> printAnswers;
    std::deque<MessageAnswer> messageAnswers;
    // Messages need no script when this is set: they are answered with it.
    bool answerAllMessages = false;
    MessageAnswer defaultMessageAnswer = MessageAnswer::Ok;

    std::vector<FileDialogRequest> openRequests, saveRequests;
    std::vector<MessageCall> messages;
    int printRequests = 0;

    // How many messages had been shown when each print dialog opened.
    std::vector<std::size_t> messagesAtPrint;
    // A font answers OK with that font; nothing answers Cancel.
    std::deque<std::optional<QFont>> fontAnswers;
    std::vector<QFont> fontRequests; // the preset fonts
    // Each script runs while its dialog is shown, acts on it and gives the
    // dialog's result (QDialog::Accepted or QDialog::Rejected).
    std::deque<std::function<int(QDialog &)>> dialogScripts;
    std::vector<QString> dialogTitles; // caption of each dialog at its opening

    bool chooseFont(QWidget *, QFont &font) override
    {
        fontRequests.push_back(font);
        if (fontAnswers.empty()) {
            ADD_FAILURE() << "unscripted font dialog";
            return false;
        }
        const std::optional<QFont> a = fontAnswers.front();
        fontAnswers.pop_front();
        if (a)
            font = *a;
        return a.has_value();
    }
    int execDialog(QDialog &dialog) override
    {
        dialogTitles.push_back(dialog.windowTitle());
        if (dialogScripts.empty()) {
            ADD_FAILURE() << "unscripted dialog: " << dialog.windowTitle().toStdString();
            return QDialog::Rejected;
        }
        const auto script = std::move(dialogScripts.front());
        dialogScripts.pop_front();
        dialog.show();
        const int result = script(dialog);
        dialog.done(result);
        return result;
    }

    FileDialogAnswer openFile(QWidget *, const FileDialogRequest &request) override
    {
        openRequests.push_back(request);
        return next(openAnswers, "open");
    }
    FileDialogAnswer saveFile(QWidget *, const FileDialogRequest &request) override
    {
        saveRequests.push_back(request);
        return next(saveAnswers, "save");
    }
    bool print(QWidget *, QPrinter &) override
    {
        ++printRequests;
        messagesAtPrint.push_back(messages.size());
        if (printAnswers.empty()) {
            ADD_FAILURE() << "unscripted print dialog";
            return false;
        }
        const bool a = printAnswers.front();
        printAnswers.pop_front();
        return a;
    }
    MessageAnswer messageBox(QWidget *, const QString &text, const QString &caption, MessageButtons buttons,
                             MessageIcon icon) override
    {
        messages.push_back({text, caption, buttons, icon});
        if (!messageAnswers.empty()) {
            const MessageAnswer a = messageAnswers.front();
            messageAnswers.pop_front();
            return a;
        }
        if (!answerAllMessages)
            ADD_FAILURE() << "unscripted message box: " << caption.toStdString() << ": " << text.toStdString();
        return answerAllMessages ? defaultMessageAnswer : MessageAnswer::Cancel;
    }

private:
    static FileDialogAnswer next(std::deque<FileDialogAnswer> &q, const char *what)
    {
        if (q.empty()) {
            ADD_FAILURE() << "unscripted " << what << " dialog";
            return {};
        }
        FileDialogAnswer a = q.front();
        q.pop_front();
        return a;
    }
};

} // namespace sorvant::testing
