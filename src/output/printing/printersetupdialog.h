#pragma once

#include <QDialog>
#include <QPageLayout>
#include <QPageSize>

#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;

namespace sorvant {

class DialogHost;

// The printer set-up dialog: which printer (an installed one, or a PDF
// file), its paper and the orientation. It opens with the printer's current
// choices and, on OK, puts the new ones on that printer, so they hold for
// the next printout and the next opening.
class TPrinterSetupDialog : public QDialog
{
    Q_OBJECT
public:
    TPrinterSetupDialog(QPrinter &printer, DialogHost &dialogs, QWidget *parent = nullptr);

    // The entry of the printer list that prints into a PDF file.
    static QString pdfPrinterText() { return QStringLiteral("Print to File (PDF)"); }

    QComboBox *printerBox() const { return m_printers; }
    QComboBox *paperBox() const { return m_paper; }
    QLineEdit *fileEdit() const { return m_file; }
    QLabel *statusLabel() const { return m_status; }
    QRadioButton *portraitButton() const { return m_portrait; }
    QRadioButton *landscapeButton() const { return m_landscape; }
    QPushButton *okButton() const;

    // Selects the paper of the list that is `size`; false when the chosen
    // printer has no such paper.
    bool selectPaper(const QPageSize &size);

    // OK puts the choices on the printer.
    void done(int result) override;

private:
    void printerChanged();
    void fillPaper(const QPageSize &wanted);
    void browse();
    void updateOk();
    bool pdfChosen() const;

    QPrinter &m_printer;
    DialogHost &m_dialogs;
    QComboBox *m_printers = nullptr;
    QLabel *m_status = nullptr;
    QLineEdit *m_file = nullptr;
    QPushButton *m_browse = nullptr;
    QComboBox *m_paper = nullptr;
    QRadioButton *m_portrait = nullptr;
    QRadioButton *m_landscape = nullptr;
    QDialogButtonBox *m_buttons = nullptr;
    std::vector<QPageSize> m_sizes; // of the paper list, in its order
};

// Whether a print dialog only put back the printer's own paper: it was
// confirmed on the same printer as before, and the paper it left is that
// printer's default where another one had been chosen. Qt's print dialog
// does that for every printer with a driver of its own, whatever paper the
// printer held.
bool printDialogResetPaper(const QString &printerBefore, const QPageSize &paperBefore, const QPrinter &after);

} // namespace sorvant
