// Shows the main window with a demo log loaded and saves what the screen
// shows. Run it under a real X server, e.g.:
//   xvfb-run -a -s "-screen 0 1100x800x24" build/bench/shell/shell_screenshot docs/main-window.png
// With --show preview or --show print-setup it saves the print preview of
// the spreadsheet, or the printer set-up dialog of the chart, instead.

#include "benchsupport.h"
#include "platform/fonts.h"
#include "shell/mainform.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

// Saves what the screen shows of a window once it has settled.
bool saveShot(QWidget &window, const QString &out)
{
    const QRect frame = window.frameGeometry();
    return window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(out);
}

// Every dialog of the program is shown, photographed and closed.
class ShootingDialogs : public sorvant::bench::FixedAnswerDialogs
{
public:
    QString out;
    int status = 1;
    int execDialog(QDialog &dialog) override
    {
        dialog.show();
        QEventLoop settle;
        QTimer::singleShot(1500, &settle, &QEventLoop::quit);
        settle.exec();
        status = saveShot(dialog, out) ? 0 : 1;
        return QDialog::Rejected;
    }
};

QString option(int argc, char **argv, const char *name)
{
    for (int i = 2; i + 1 < argc; ++i) {
        if (QByteArray(argv[i]) == name)
            return QString::fromLocal8Bit(argv[i + 1]);
    }
    return QString();
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [--step N] [--show preview|print-setup]\n", argv[0]);
        return 2;
    }
    QTemporaryDir &home = sorvant::bench::isolateHome(false);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("DryerDataSorvant"));
    sorvant::registerCompatibleFonts();
    const QString stepText = option(argc, argv, "--step");
    const int step = stepText.isEmpty() ? 25 : stepText.toInt();
    const QString show = option(argc, argv, "--show");

    // Taken before Open makes the log's folder the current one.
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    ShootingDialogs dialogs;
    dialogs.out = out;
    QDir().mkpath(home.filePath(QStringLiteral("logs")));
    dialogs.path = sorvant::bench::makeSampleLog(home.filePath(QStringLiteral("logs/dryer3.dat")), 14400);
    const QString settings = home.filePath(QStringLiteral("config/Sorvant/Sorvant.reg"));
    sorvant::SettingsStore(settings).write({QString(), step, {}});

    sorvant::MainFormOptions options;
    options.settingsPath = settings;
    sorvant::TSorvantMainForm form(dialogs, options);
    form.move(20, 20);
    form.show();
    form.OpenButtonClick();

    int status = 1;
    QTimer::singleShot(1500, &app, [&] {
        if (show == QLatin1String("preview")) {
            form.PrintPreview1Click();
            status = dialogs.status;
        } else if (show == QLatin1String("print-setup")) {
            form.ChangeViewButton->trigger();
            form.PrintSetup1Click();
            status = dialogs.status;
        } else {
            status = saveShot(form, out) ? 0 : 1;
        }
        app.quit();
    });
    app.exec();
    return status;
}
