#pragma once

#include "platform/dialoghost.h"

#include <functional>

class QWidget;

namespace sorvant {

// Runs one command. An error the command did not handle ends it and is shown
// in the error box (caption "DryerDataSorvant", error icon, OK); the program
// then carries on and nothing is rolled back. Returns false when it failed.
bool runGuarded(DialogHost &dialogs, QWidget *parent, const std::function<void()> &command) noexcept;

// The error box alone, for errors that were caught elsewhere.
void showErrorBox(DialogHost &dialogs, QWidget *parent, const QString &errorText) noexcept;

// The error box for the exception being handled; call it inside a catch block.
void showCurrentError(DialogHost &dialogs, QWidget *parent) noexcept;

} // namespace sorvant
