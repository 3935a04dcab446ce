// Shows the main window with a demo log of several days, limits on
// Moisture Out and Grain Temp in Dryer set, the overview and the Find Out of Range dialog open, and saves
// what the screen shows of each. Run it under a real X server, e.g.:
//   xvfb-run -a -s "-screen 0 1400x1000x24" build/bench/shell/overview_screenshot docs/
#include "benchsupport.h"
#include "platform/fonts.h"
#include "shell/mainform.h"
#include "shell/overviewcommands.h"
#include "views/outofrangedialog.h"
#include "views/overviewwindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

bool grab(QWidget &w, const QString &path)
{
    const QRect frame = w.frameGeometry();
    return w.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height()).save(path);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    QTemporaryDir &home = sorvant::bench::isolateHome(false);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("DryerDataSorvant"));
    sorvant::registerCompatibleFonts();
    const QDir out(QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath());

    sorvant::bench::FixedAnswerDialogs dialogs;
    QDir().mkpath(home.filePath(QStringLiteral("logs")));
    dialogs.path = sorvant::bench::makeSampleLog(home.filePath(QStringLiteral("logs/dryer3.dat")), 36000);
    const QString settings = home.filePath(QStringLiteral("config/Sorvant/Sorvant.reg"));
    sorvant::SettingsStore(settings).write({QString(), 25, {}});

    sorvant::MainFormOptions options;
    options.settingsPath = settings;
    sorvant::TSorvantMainForm form(dialogs, options);
    form.move(20, 20);
    form.show();
    form.OpenButtonClick();
    sorvant::OverviewCommands &commands = *form.overviewCommands();
    sorvant::Limits limits;
    limits[1] = {14.0, 16.0};
    limits[3].highest = 178.0;
    commands.setLimits(limits);
    commands.Overview1->trigger();
    commands.overviewWindow()->resize(1100, 380);
    commands.overviewWindow()->move(60, 420);
    commands.goToRecord(16000);

    int status = 1;
    QTimer::singleShot(1500, &app, [&] {
        status = grab(*commands.overviewWindow(), out.filePath(QStringLiteral("overview.png"))) ? 0 : 1;
        commands.FindOutOfRange1->trigger();
        commands.findDialog()->move(120, 60);
        QTimer::singleShot(1000, &app, [&] {
            if (!grab(*commands.findDialog(), out.filePath(QStringLiteral("find-out-of-range.png"))))
                status = 1;
            app.quit();
        });
    });
    app.exec();
    return status;
}
