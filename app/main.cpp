// Sorvant's entry point: one instance per user, then the main window and the
// event loop.

#include "platform/filenames.h"
#include "platform/fonts.h"
#include "platform/programinfo.h"
#include "platform/qtdialoghost.h"
#include "platform/singleinstance.h"
#include "platform/terminationsignals.h"
#include "shell/aboutbox.h"
#include "shell/mainform.h"
#include "shell/sorvantapplication.h"
#include "shell/shellwindows.h"
#include "shell/sorvanthelp.h"
#include "shell/startoptions.h"
#include "shell/windowactivator.h"

#include <QApplication>

#include <cstdio>

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

    // From the bytes, not QApplication::arguments(), which turns a name that
    // is not UTF-8 into U+FFFD; the application has taken its own options
    // out of argv by now.
    const sorvant::StartOptions start =
        sorvant::parseStartArguments(sorvant::decodeArguments(argc, argv), sorvant::currentFolder());
    if (!start.warning.isEmpty())
        std::fprintf(stderr, "%s\n", sorvant::encodeFileName(start.warning).constData());

    // From here a TERM or HUP waits for the event loop, which closes the
    // window as its close box does, so the run's settings are written.
    sorvant::TerminationSignals termination;

    // A second start hands the focus (and the file of --open) to the running
    // instance and ends; it neither looks at the rest of its command line
    // nor touches a setting.
    sorvant::SingleInstance instance;
    instance.setFileToOpen(start.fileToOpen);
    if (!instance.tryBecomePrimary())
        return 0;

    QApplication::setApplicationName(QStringLiteral("DryerDataSorvant"));
    QApplication::setWindowIcon(sorvant::sorvantIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("sorvant"));
    sorvant::registerCompatibleFonts();

    sorvant::QtDialogHost dialogs;
    sorvant::MainFormOptions options;
    options.arguments = start.plainArguments;
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
    // After the window has come forward; the load may show its error box.
    QObject::connect(&instance, &sorvant::SingleInstance::openRequested, &mainForm,
                     &sorvant::TSorvantMainForm::openFromOutside, Qt::QueuedConnection);
    QObject::connect(&termination, &sorvant::TerminationSignals::terminationRequested, &mainForm,
                     &sorvant::TSorvantMainForm::closeForSessionEnd);
    // A session manager that ends the session quits the application.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &mainForm, &sorvant::TSorvantMainForm::closeForSessionEnd);

    mainForm.show();
    if (!start.fileToOpen.isEmpty())
        mainForm.openFromOutside(start.fileToOpen);
    // A TERM during that load's error box has closed the window already;
    // the event loop would then wait for a window that never comes.
    if (mainForm.isVisible())
        app.exec();
    app.setErrorDisplay(nullptr, nullptr);
    return 0;
}
