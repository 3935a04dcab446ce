#pragma once

#include "printsettingslogic.h"

#include <QDialog>

#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace sorvant {

class DialogHost;

// The print settings window: four tab pages of controls bound to a
// GridPrintSettingsLogic, which does all the work. Created once and reused,
// so the tab page and the unit the user left stay for the next opening.
class TGridPrintSettingsForm : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kClientWidth = 273;
    static constexpr int kClientHeight = 387;
    static constexpr int kTabHeight = 346;

    // Runs a button's command; an error it raises is shown to the user.
    using CommandGuard = std::function<void(QWidget *parent, const std::function<void()> &command)>;

    explicit TGridPrintSettingsForm(DialogHost &dialogs, QWidget *parent = nullptr);
    ~TGridPrintSettingsForm() override;

    GridPrintSettingsLogic &logic() { return m_logic; }
    void setCommandGuard(CommandGuard guard) { m_guard = std::move(guard); }
    // Enables the group boxes of `options` and shows the tab pages that hold one.
    void setOptions(unsigned options);
    void setUnit(TPrintDimensions unit);
    // The settings file and section of the two file buttons.
    void setIniFile(const QString &fileName, const QString &section);

    // Puts the logic's record into the controls without applying anything.
    void showValues();

    QTabWidget *pages() const { return m_pages; }
    QPushButton *okButton() const { return m_ok; }
    QPushButton *cancelButton() const { return m_cancel; }
    QComboBox *borderList() const { return m_border; }
    QComboBox *borderStyleList() const { return m_borderStyle; }
    QComboBox *fitToPageList() const { return m_fitToPage; }
    QComboBox *datePositionList() const { return m_datePosition; }
    QLineEdit *dateFormatEdit() const { return m_dateFormat; }
    QComboBox *titlePositionList() const { return m_titlePosition; }
    QPlainTextEdit *titleTextEdit() const { return m_titleText; }
    QComboBox *pagesPositionList() const { return m_pagesPosition; }
    QLineEdit *pagePrefixEdit() const { return m_prefix; }
    QComboBox *orientationList() const { return m_orientation; }
    QCheckBox *repeatFixedRowsBox() const { return m_repeatRows; }
    QDoubleSpinBox *lengthBox(PrintLengthBox box) const { return m_lengths[static_cast<std::size_t>(box)]; }
    QLabel *unitLabel(PrintLengthBox box) const { return m_unitLabels[static_cast<std::size_t>(box)]; }
    QRadioButton *mmButton() const { return m_mm; }
    QRadioButton *inchButton() const { return m_inch; }
    QPushButton *fontButton(PrintFontButton button) const { return m_fontButtons[static_cast<std::size_t>(button)]; }
    QPushButton *loadButton() const { return m_load; }
    QPushButton *saveButton() const { return m_save; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildGeneralPage();
    void buildHeadersFootersPage();
    void buildMarginsPage();
    void buildPreferencesPage();
    void controlChanged();
    void unitChosen(TPrintDimensions unit);
    void chooseFont(PrintFontButton button);
    void showLengths();
    void showEnabling();
    PrintSettingsControls gatherControls() const;
    void runCommand(const std::function<void()> &command);

    DialogHost &m_dialogs;
    GridPrintSettingsLogic m_logic;
    CommandGuard m_guard;
    QString m_iniFile;
    QString m_section;
    bool m_filling = false; // putting values into the controls: nothing is applied

    QTabWidget *m_pages = nullptr;
    std::array<QWidget *, 4> m_pageWidgets{};
    QGroupBox *m_bordersGroup = nullptr, *m_generalGroup = nullptr, *m_fontsGroup = nullptr;
    QGroupBox *m_dateGroup = nullptr, *m_titleGroup = nullptr, *m_pagesGroup = nullptr;
    QGroupBox *m_marginsGroup = nullptr, *m_spacingGroup = nullptr, *m_orientationGroup = nullptr;
    QGroupBox *m_saveGroup = nullptr;
    QComboBox *m_border = nullptr, *m_borderStyle = nullptr, *m_fitToPage = nullptr;
    QCheckBox *m_repeatCols = nullptr, *m_repeatRows = nullptr, *m_autoSizeCols = nullptr,
              *m_autoSizeRows = nullptr, *m_center = nullptr, *m_graphics = nullptr, *m_displayFont = nullptr;
    std::array<QPushButton *, 4> m_fontButtons{};
    QComboBox *m_datePosition = nullptr, *m_timePosition = nullptr, *m_titlePosition = nullptr,
              *m_pagesPosition = nullptr;
    QLineEdit *m_dateFormat = nullptr, *m_prefix = nullptr, *m_separator = nullptr, *m_suffix = nullptr;
    QPlainTextEdit *m_titleText = nullptr;
    std::array<QDoubleSpinBox *, PrintLengthBoxCount> m_lengths{};
    std::array<QLabel *, PrintLengthBoxCount> m_unitLabels{};
    QRadioButton *m_mm = nullptr, *m_inch = nullptr;
    QComboBox *m_orientation = nullptr;
    QPushButton *m_load = nullptr, *m_save = nullptr;
    QPushButton *m_ok = nullptr, *m_cancel = nullptr;
};

} // namespace sorvant
