#pragma once

#include "dialoghost.h"

namespace sorvant {

// The dialogs and message boxes the user sees, built from Qt's own.
class QtDialogHost : public DialogHost
{
public:
    FileDialogAnswer openFile(QWidget *parent, const FileDialogRequest &request) override;
    FileDialogAnswer saveFile(QWidget *parent, const FileDialogRequest &request) override;
    bool print(QWidget *parent, QPrinter &printer) override;
    MessageAnswer messageBox(QWidget *parent, const QString &text, const QString &caption,
                             MessageButtons buttons, MessageIcon icon) override;
    bool chooseFont(QWidget *parent, QFont &font) override;
    int execDialog(QDialog &dialog) override;
};

} // namespace sorvant
