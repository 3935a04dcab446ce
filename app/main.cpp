// Sorvant's entry point: one instance per user, then the main window and the
// event loop.

#include "platform/filenames.h"
#include "platform/fonts.h"
#include "platform/programinfo.h"
#include "platform/qtdialoghost.h"
#include "platform/singleinstance.h"
#include "shell/aboutbox.h"
#include "shell/mainform.h"
#include "shell/sorvantapplication.h"
#include "shell/shellwindows.h"
#include "shell/sorvanthelp.h"
#include "shell/windowactivator.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // Answered before the application exists, so that they need no display
    // and never reach a running instance.
    if (const auto answer = sorvant::helpOrVersionAnswer(sorvant::decodeArguments(argc, argv),
                                                         QStringLiteral("sorvant"), sorvant::sorvantHelpText())) {
        sorvant::printText(stdout, *answer);
        return 0;
    }
    sorvant::SorvantApplication app(argc, argv);

    // A second start hands the focus to the running instance and ends; it
    // neither looks at its command line nor touches a setting.
    sorvant::SingleInstance instance;
    if (!instance.tryBecomePrimary())
        return 0;

    QApplication::setApplicationName(QStringLiteral("DryerDataSorvant"));
    QApplication::setWindowIcon(sorvant::sorvantIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("sorvant"));
    sorvant::registerCompatibleFonts();

    sorvant::QtDialogHost dialogs;
    sorvant::MainFormOptions options;
    // From the bytes, not QApplication::arguments(), which turns a name that
    // is not UTF-8 into U+FFFD; the application has taken its own options
    // out of argv by now.
    options.arguments = sorvant::decodeArguments(argc, argv);
    options.locale = QLocale::system();
    sorvant::TSorvantMainForm mainForm(dialogs, options);
    app.setErrorDisplay(&dialogs, &mainForm);
    // Then the About box and the preferences dialog, hidden; the dialog reads
    // the step the main window has just loaded. It finds the chart view in
    // the main window.
    sorvant::ShellWindows windows(mainForm);

    sorvant::WindowActivator activator(&mainForm);
    QObject::connect(&instance, &sorvant::SingleInstance::activationRequested, &activator,
                     &sorvant::WindowActivator::bringToFront);

    mainForm.show();
    app.exec();
    app.setErrorDisplay(nullptr, nullptr);
    return 0;
}
