#pragma once

#include <QString>

class QDialog;
class QFont;
class QPrinter;
class QWidget;

namespace sorvant {

// Every modal dialog and message box of the program goes through this one
// interface: the window uses the Qt implementation, tests a scripted one, so
// no test can ever wait on a dialog.

enum class MessageIcon { None, Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    QString title;
    QString filter;      // Qt filter text: "Dryer Log files (*.dat)"
    QString folder;      // starting folder; empty for the current one
    QString fileName;    // proposed file name, without a folder
    int filterIndex = 1; // 1-based, the chosen file type
};

struct FileDialogAnswer {
    bool accepted = false;
    QString path;        // absolute path of the chosen file
    int filterIndex = 1; // the file type the user ended with
};

class DialogHost
{
public:
    virtual ~DialogHost() = default;
    virtual FileDialogAnswer openFile(QWidget *parent, const FileDialogRequest &request) = 0;
    // Never asks before replacing an existing file.
    virtual FileDialogAnswer saveFile(QWidget *parent, const FileDialogRequest &request) = 0;
    // The print dialog over `printer`; true when the user chose to print.
    virtual bool print(QWidget *parent, QPrinter &printer) = 0;
    virtual MessageAnswer messageBox(QWidget *parent, const QString &text, const QString &caption,
                                     MessageButtons buttons, MessageIcon icon) = 0;
    // The font dialog preset with `font`; true, and `font` the chosen one,
    // when the user confirmed it.
    virtual bool chooseFont(QWidget *parent, QFont &font) = 0;
    // Shows one of the program's own dialogs modally and gives its result
    // (QDialog::Accepted or QDialog::Rejected).
    virtual int execDialog(QDialog &dialog) = 0;
};

} // namespace sorvant
