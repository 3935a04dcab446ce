#include "errordisplay.h"

#include "platform/errortext.h"
#include "platform/usererror.h"

#include <exception>

namespace sorvant {

void showErrorBox(DialogHost &dialogs, QWidget *parent, const QString &errorText) noexcept
{
    try {
        dialogs.messageBox(parent, errorDisplayText(errorText), applicationTitle(), MessageButtons::Ok,
                           MessageIcon::Error);
    } catch (...) {
        // Nothing more can be shown when the error box itself fails; the
        // command has ended already and the program carries on.
    }
}

void showCurrentError(DialogHost &dialogs, QWidget *parent) noexcept
{
    try {
        throw;
    } catch (const UserError &e) {
        showErrorBox(dialogs, parent, e.text());
    } catch (const std::bad_alloc &) {
        showErrorBox(dialogs, parent, QStringLiteral("Out of memory"));
    } catch (const std::exception &e) {
        showErrorBox(dialogs, parent, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showErrorBox(dialogs, parent, QStringLiteral("An unexpected error ended the command"));
    }
}

bool runGuarded(DialogHost &dialogs, QWidget *parent, const std::function<void()> &command) noexcept
{
    try {
        command();
        return true;
    } catch (...) {
        // An exception must never leave a slot and unwind through Qt's event loop.
        showCurrentError(dialogs, parent);
    }
    return false;
}

} // namespace sorvant
