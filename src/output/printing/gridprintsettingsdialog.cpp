#include "gridprintsettingsdialog.h"

#include "platform/dialoghost.h"
#include "printsettingsfile.h"

namespace sorvant {

TGridPrintSettingsDialog::TGridPrintSettingsDialog(DialogHost &dialogs, QWidget *window)
    : QObject(window), m_dialogs(dialogs), m_form(new TGridPrintSettingsForm(dialogs, window))
{
}

TGridPrintSettingsDialog::~TGridPrintSettingsDialog()
{
    delete m_form.data();
}

void TGridPrintSettingsDialog::setPrintSettings(PrintSettings *settings)
{
    m_settings = settings;
    m_form->logic().setSettings(settings);
}

void TGridPrintSettingsDialog::setOptions(unsigned options)
{
    m_options = options;
    m_form->setOptions(options);
}

void TGridPrintSettingsDialog::setPrintDimensions(TPrintDimensions unit)
{
    m_form->setUnit(unit);
}

bool TGridPrintSettingsDialog::Execute()
{
    if (!m_settings)
        return false;
    m_form->setWindowTitle(Caption);
    m_form->setIniFile(printSettingsFileName(IniFile), printSettingsSection());
    const PrintSettings saved = *m_settings;
    m_form->showValues();
    const bool accepted = m_dialogs.execDialog(*m_form) == QDialog::Accepted;
    if (!accepted)
        *m_settings = saved;
    return accepted;
}

} // namespace sorvant
