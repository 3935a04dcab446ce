#pragma once

#include <QDialog>
#include <QObject>
#include <QString>

class QAction;
class QLineEdit;

namespace sorvant {

class TSorvantMainForm;

// The report's title in the settings file, beside the other values under
// "\Software\Sorvant\Options": "ReportTitle"="Hill Farm, Dryer 2". Read once
// at start; written at close when this run changed it.
QString reportTitleValueName(); // "ReportTitle"
// Throws UserError for a value that cannot be read; a missing one is "".
QString readReportTitle(const QString &settingsPath);
// Throws UserError "Failed to set data for 'ReportTitle'".
void writeReportTitle(const QString &settingsPath, const QString &title);

// Asks for the report's title before the preview.
class ReportTitleDialog : public QDialog
{
    Q_OBJECT
public:
    ReportTitleDialog(const QString &title, QWidget *parent);
    QString title() const;
    QLineEdit *titleEdit() const { return m_edit; }

private:
    QLineEdit *m_edit = nullptr;
};

// File > "Print &Report...": the drying report of the log on screen. It asks
// for the title (the farm, the dryer), shows the report's pages in the print
// preview, whose Print button opens the print dialog and prints the report,
// portrait, on the paper of the current printer.
class ReportCommand : public QObject
{
    Q_OBJECT
public:
    // Adds the menu item after "&Print" and reads the stored title (a value
    // that cannot be read is shown in the error box and kept in the file).
    explicit ReportCommand(TSorvantMainForm &form);

    QAction *PrintReport1 = nullptr;

    const QString &title() const { return m_title; }
    // Written when the main window closes. Throws UserError.
    void saveSettings();

public slots:
    void PrintReport1Click();

private:
    // The print dialog over the current printer, then the report printed on
    // it, portrait; the printer's own orientation is left as it was.
    void printReport(QWidget *parent, const class DryingReport &report);

    TSorvantMainForm &m_form;
    QString m_title;
    QString m_readTitle; // as read: only a change is written back
};

} // namespace sorvant
