#pragma once

#include "platform/dialoghost.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
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
