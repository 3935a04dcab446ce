#include "qtdialoghost.h"

#include "shownfilenames.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFontInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>

namespace sorvant {

namespace {

// The file dialog, which also opens a file whose name is not UTF-8 when the
// user types the name it shows as (see shownfilenames.h): Qt's dialog
// would say that no such file exists.
class FileDialog : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;
    // The file found by its shown name; empty when the dialog chose itself.
    QString foundByShownName;

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptOpen && files.size() == 1 && !QFileInfo::exists(files.first())) {
            const QFileInfo typed(files.first());
            const QString found = findFileByShownName(typed.path(), typed.fileName());
            if (!found.isEmpty()) {
                foundByShownName = found;
                QDialog::accept();
                return;
            }
        }
        QFileDialog::accept();
    }
};

FileDialogAnswer runFileDialog(QWidget *parent, const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    // No folder means the current one, which the last file dialog's choice
    // made; Qt would start in the folder it last showed, which may be the
    // open dialog's while the user just saved elsewhere.
    const QString folder = request.folder.isEmpty() ? QDir::currentPath() : request.folder;
    FileDialog dialog(parent, request.title, folder);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptOpen) {
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    }
    const QStringList filters = request.filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.at(qBound(0, request.filterIndex - 1, int(filters.size()) - 1)));
    }
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);

    FileDialogAnswer answer;
    answer.filterIndex = request.filterIndex;
    if (dialog.exec() != QDialog::Accepted)
        return answer;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty())
        return answer;
    answer.accepted = true;
    answer.path = dialog.foundByShownName.isEmpty() ? QFileInfo(files.first()).absoluteFilePath()
                                                    : dialog.foundByShownName;
    const auto chosen = filters.indexOf(dialog.selectedNameFilter());
    if (chosen >= 0)
        answer.filterIndex = int(chosen) + 1;
    return answer;
}

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// The font as Qt's font dialog can show it. The dialog falls back to the
// application's face for a face the system only substitutes (Arial drawn as
// Liberation Sans), and to its first style when no style carries the name it
// derives from weight and slant (DejaVu Sans would show as "Oblique").
QFont fontDialogPreset(const QFont &font)
{
    QFont preset = font;
    if (!QFontDatabase::families().contains(font.family()))
        preset.setFamily(QFontInfo(font).family());
    QString best;
    int bestDistance = 0;
    for (const QString &style : QFontDatabase::styles(preset.family())) {
        const QFont styled = QFontDatabase::font(preset.family(), style, std::max(1, font.pointSize()));
        if (styled.italic() != font.italic())
            continue;
        const int distance = std::abs(int(styled.weight()) - int(font.weight()));
        // Of equal weights the shortest name is the plain one ("Book" before
        // "Condensed").
        if (best.isEmpty() || distance < bestDistance
            || (distance == bestDistance && style.size() < best.size())) {
            best = style;
            bestDistance = distance;
        }
    }
    if (!best.isEmpty())
        preset.setStyleName(best);
    return preset;
}

bool sameChoice(const QFont &a, const QFont &b)
{
    return a.family() == b.family() && a.pointSize() == b.pointSize() && a.bold() == b.bold()
        && a.italic() == b.italic() && a.underline() == b.underline() && a.strikeOut() == b.strikeOut();
}

} // namespace

FileDialogAnswer QtDialogHost::openFile(QWidget *parent, const FileDialogRequest &request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

FileDialogAnswer QtDialogHost::saveFile(QWidget *parent, const FileDialogRequest &request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

bool QtDialogHost::print(QWidget *parent, QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

MessageAnswer QtDialogHost::messageBox(QWidget *parent, const QString &text, const QString &caption,
                                       MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(qtIcon(icon), caption, text, QMessageBox::NoButton, parent);
    // The first button is the default, as in the platform's own boxes; Esc
    // and the close box give the last (Cancel or No).
    QMessageBox::StandardButton first = QMessageBox::Ok;
    QMessageBox::StandardButton escape = QMessageBox::Ok;
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        escape = QMessageBox::Cancel;
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        first = QMessageBox::Yes;
        escape = QMessageBox::No;
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        first = QMessageBox::Yes;
        escape = QMessageBox::Cancel;
        break;
    }
    box.setDefaultButton(first);
    box.setEscapeButton(escape);
    box.exec();
    QMessageBox::StandardButton clicked = box.standardButton(box.clickedButton());
    if (clicked == QMessageBox::NoButton)
        clicked = escape;
    switch (clicked) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    default: return MessageAnswer::Ok;
    }
}

bool QtDialogHost::chooseFont(QWidget *parent, QFont &font)
{
    QFontDialog dialog(fontDialogPreset(font), parent);
    const QFont shown = dialog.currentFont();
    // The dialog's face, style and size boxes, where it is Qt's own: the size
    // box is the one that takes numbers, face and style the read-only ones.
    QLineEdit *faceBox = nullptr, *styleBox = nullptr, *sizeBox = nullptr;
    for (QLineEdit *edit : dialog.findChildren<QLineEdit *>()) {
        if (edit->validator() && !sizeBox)
            sizeBox = edit;
        else if (edit->isReadOnly() && !faceBox)
            faceBox = edit;
        else if (edit->isReadOnly() && !styleBox)
            styleBox = edit;
    }
    const QString faceShown = faceBox ? faceBox->text() : QString();
    const QString styleShown = styleBox ? styleBox->text() : QString();
    const QString sizeShown = sizeBox ? sizeBox->text() : QString();
    if (dialog.exec() != QDialog::Accepted)
        return false;
    // Confirmed as it was shown: the font stays exactly as it was, also where
    // the dialog could show it only approximately (a substituted face, a face
    // without that size).
    const QFont chosen = dialog.selectedFont();
    if (sameChoice(chosen, shown))
        return true;
    // What the user left alone stays as it was: a face with bitmaps of a few
    // sizes shows an empty size box, and ticking Underline would otherwise
    // give the dialog's default size instead of the font's own.
    QFont result = chosen;
    if (sizeBox && sizeBox->text() == sizeShown && font.pointSize() > 0)
        result.setPointSize(font.pointSize());
    if (faceBox && faceBox->text() == faceShown)
        result.setFamily(font.family());
    if (styleBox && styleBox->text() == styleShown) {
        result.setStyleName(font.styleName());
        result.setWeight(font.weight());
        result.setItalic(font.italic());
    }
    font = result;
    return true;
}

int QtDialogHost::execDialog(QDialog &dialog)
{
    return dialog.exec();
}

} // namespace sorvant
