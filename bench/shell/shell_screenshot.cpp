// Shows the main window with a demo log loaded and saves what the screen
// shows. Run it under a real X server, e.g.:
//   xvfb-run -a -s "-screen 0 1100x800x24" build/bench/shell/shell_screenshot docs/main-window.png

#include "benchsupport.h"
#include "platform/fonts.h"
#include "shell/mainform.h"

#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUT.png [--step N]\n", argv[0]);
        return 2;
    }
    QTemporaryDir &home = sorvant::bench::isolateHome(false);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("DryerDataSorvant"));
    sorvant::registerCompatibleFonts();
    const int step = argc > 3 && QByteArray(argv[2]) == "--step" ? QByteArray(argv[3]).toInt() : 25;

    // Taken before Open makes the log's folder the current one.
    const QString out = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    sorvant::bench::FixedAnswerDialogs dialogs;
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
        const QRect frame = form.frameGeometry();
        const QPixmap shot = form.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
        status = shot.save(out) ? 0 : 1;
        app.quit();
    });
    app.exec();
    return status;
}
