// printsettings-screenshots OUTDIR: each tab page of the Print Data Sheet
// dialog as the window shows it, for the documentation.
#include "output/printing/gridprintsettingsdialog.h"
#include "platform/qtdialoghost.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: printsettings-screenshots OUTDIR\n");
        return 2;
    }
    sorvant::QtDialogHost dialogs;
    QWidget window;
    sorvant::PrintSettings settings;
    settings.Date = sorvant::ppTopLeft;
    settings.Title = sorvant::ppTopCenter;
    settings.TitleLines = {QStringLiteral("Dryer 4"), QStringLiteral("Bin 3, October")};
    settings.PageNr = sorvant::ppBottomCenter;
    settings.PagePrefix = QStringLiteral("Page");
    settings.HeaderSize = settings.FooterSize = settings.LeftSize = settings.RightSize = 100;
    settings.RepeatFixedRows = true;

    sorvant::TGridPrintSettingsDialog dialog(dialogs, &window);
    dialog.setPrintSettings(&settings);
    sorvant::TGridPrintSettingsForm &form = dialog.form();
    form.setWindowTitle(QStringLiteral("Print Data Sheet"));
    form.showValues();
    form.show();
    const char *names[] = {"general", "headers-footers", "margins", "preferences"};
    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (int i = 0; i < 4; ++i) {
        form.pages()->setCurrentIndex(i);
        QApplication::processEvents();
        const QString file = out.filePath(QStringLiteral("print-settings-%1.png").arg(QLatin1String(names[i])));
        if (!form.grab().save(file)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
