#include "sorvanthelp.h"

namespace sorvant {

// Laid out as help2man reads it: "Usage:", then the description, then
// sections such as "Options:" and "Files:" with tags indented by two and
// their texts in a column of their own.
QString sorvantHelpText()
{
    return QStringLiteral(
        "Usage: sorvant [PATH]\n"
        "  or:  sorvant --help | --version\n"
        "Shows the data log of a portable grain dryer (a .dat file) as a spreadsheet\n"
        "or as a paged line chart, prints either view, and exports the spreadsheet to\n"
        "a CSV file or an Excel 97-2003 workbook.\n"
        "\n"
        "With a PATH (a log file, or a folder with a trailing /), the open dialog\n"
        "starts in the folder of that path, and the folder is remembered when Sorvant\n"
        "closes; no file is opened. A path with blanks may come as several arguments:\n"
        "they are joined with one blank.\n"
        "\n"
        "Only one Sorvant runs at a time for each user: starting it again brings the\n"
        "running one, and its last open pop-up, to the front, and the second start\n"
        "ends at once without looking at its PATH or touching a setting.\n"
        "\n"
        "Options:\n"
        "  -h, --help           show this help and exit\n"
        "  --version            show the version and exit\n"
        "  -platform NAME, -style NAME, -display DISPLAY\n"
        "                       Qt's own options, for the window system, the widget\n"
        "                       style and the X display\n"
        "\n"
        "Environment:\n"
        "  XDG_CONFIG_HOME      where the folder Sorvant with the settings and the\n"
        "                       print layout is kept (default ~/.config)\n"
        "  XDG_RUNTIME_DIR      the folder of the instance socket\n"
        "  LC_ALL, LC_NUMERIC, LANG\n"
        "                       the regional settings: the decimal separator of the\n"
        "                       moisture columns and the date and time on printouts\n"
        "\n"
        "Files:\n"
        "  ~/.config/Sorvant/Sorvant.reg\n"
        "                       the settings: the remembered folder (FilePath), the\n"
        "                       sampling step (SampleInterval) and the five recent\n"
        "                       files (MRU1 to MRU5), in the text of a Windows\n"
        "                       registry export. Read once at start and written once\n"
        "                       when the window closes; other keys and sections in it\n"
        "                       are kept. A value that cannot be read is reported at\n"
        "                       start and left as it is.\n"
        "  ~/.config/Sorvant/DataLogPrinterSettings.ini\n"
        "                       the spreadsheet's print layout, section\n"
        "                       [PRINTSETTINGS], written only by \"Save settings\" and\n"
        "                       read only by \"Load settings\" in File > Print Setup;\n"
        "                       sorvant-export --print-settings prints with it too\n"
        "  $XDG_RUNTIME_DIR/Sorvant-UID\n"
        "                       the instance socket by which a second start finds the\n"
        "                       running Sorvant (UID is your user number), with the\n"
        "                       lock file Sorvant-UID.lock beside it. Without\n"
        "                       XDG_RUNTIME_DIR they are in /tmp/sorvant-UID/, a\n"
        "                       folder made with mode 0700 (in\n"
        "                       ~/.cache/sorvant-runtime-UID/ when another user took\n"
        "                       that name); a socket or lock file there that another\n"
        "                       user owns is ignored\n"
        "\n"
        "See also:\n"
        "  sorvant-export(1)    the load, export and printouts without a window\n");
}

} // namespace sorvant
