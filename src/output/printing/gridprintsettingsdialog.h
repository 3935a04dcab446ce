#pragma once

#include "gridprintsettingsform.h"
#include "printsettings.h"
#include "printsettingslogic.h"

#include <QObject>
#include <QPointer>
#include <QString>

namespace sorvant {

class DialogHost;

// The print settings dialog of a grid: it edits the grid's PrintSettings in
// its window, which it creates once and reuses at every Execute.
class TGridPrintSettingsDialog : public QObject
{
    Q_OBJECT
public:
    // The window is created at once, as a child of `window`.
    TGridPrintSettingsDialog(DialogHost &dialogs, QWidget *window);
    ~TGridPrintSettingsDialog() override;

    // The window caption at every opening.
    QString Caption = QStringLiteral("Print Settings");
    // The settings file of the two file buttons; ".ini" is added to a name
    // without a ".".
    QString IniFile;

    // The record the dialog edits (the grid's PrintSettings).
    void setPrintSettings(PrintSettings *settings);
    PrintSettings *printSettings() const { return m_settings; }
    void setOptions(unsigned options);
    unsigned options() const { return m_options; }
    // The unit at first; afterwards the one the user last chose.
    void setPrintDimensions(TPrintDimensions unit);

    // Shows the dialog modally: the record's values in the controls, every
    // change applied at once; true when the user left with OK. Leaving in
    // any other way puts back the record as it was at the opening.
    bool Execute();

    TGridPrintSettingsForm &form() const { return *m_form; }

private:
    DialogHost &m_dialogs;
    QPointer<TGridPrintSettingsForm> m_form;
    PrintSettings *m_settings = nullptr;
    unsigned m_options = kAllPrintSettingsOptions;
};

} // namespace sorvant
