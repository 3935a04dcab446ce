#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace sorvant {

class BevelPanel;

// What the preferences dialog changes in the rest of the program: the main
// window's sampling step, status text and current log, and the chart.
class PreferencesHost
{
public:
    virtual ~PreferencesHost() = default;
    virtual int sampleInterval() const = 0;
    virtual void setSampleInterval(int sampleInterval) = 0;
    virtual void setStatusText(const QString &text) = 0;
    virtual QString currentFile() const = 0;
    // LoadLog of CurrentFile at the current step; reports its own failures.
    virtual void reloadCurrentLog() = 0;
    // Marks.Visible of Series1 to Series6, all together.
    virtual void setMarkersVisible(bool visible) = 0;
    virtual bool isView3D() const = 0;
    virtual void setView3D(bool view3D) = 0;
};

// Where the dialog goes: its designed top-left where the whole window fits
// in `available`, otherwise the nearest place inside it.
QPoint placeInside(const QPoint &designed, const QSize &frameSize, const QRect &available);

// The sampling steps in screen order, top to bottom.
struct SampleStepButton {
    const char *name;    // RadioButton1..RadioButton5
    const char *caption;
    int top;
    int width;
    int tabOrder;
    int sampleInterval;
};
extern const std::array<SampleStepButton, 5> kSampleStepButtons;

// The preferences dialog: sampling step, value markers and 3D chart. Shown
// without blocking and on top of other windows; OK is its only way out.
class TForm3 : public QWidget
{
    Q_OBJECT
public:
    static constexpr QPoint kDesignedPosition{1265, 91};
    static constexpr QSize kClientSize{331, 240};

    // Reads the host's sampling step, so the main window must have read its
    // settings before this is created. Created hidden.
    explicit TForm3(PreferencesHost &host, QWidget *parent = nullptr);
    ~TForm3() override;

    // The Preferences command: stay on top, show without blocking, or only
    // bring forward when already shown.
    void showPreferences();

    bool intervalChanged() const { return m_intervalChanged; }
    // Index into kSampleStepButtons of the selected step.
    int selectedStep() const { return m_selected; }
    QRadioButton *stepButton(int screenIndex) const { return m_stepButtons[static_cast<std::size_t>(screenIndex)]; }
    QPushButton *okButton() const { return m_button1; }
    QCheckBox *showMarkersBox() const { return m_showMarkers; }
    QCheckBox *show3dBox() const { return m_show3d; }

public slots:
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();
    void RadioButton5Click();
    void Button1Click();
    void ShowMarkersCheckboxClick(bool checked);
    void Show3dCheckBox1Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    // OK is the only way out: a close box that a window manager draws anyway,
    // and Alt+F4, are refused.
    void closeEvent(QCloseEvent *event) override;

private:
    void selectStep(int screenIndex);
    void showSelection(int screenIndex);
    void selectByName(const char *name);
    int screenIndexOf(const QObject *button) const;
    void moveOnScreen();

    PreferencesHost &m_host;
    std::array<QRadioButton *, 5> m_stepButtons{};
    QPushButton *m_button1 = nullptr;
    QCheckBox *m_showMarkers = nullptr;
    QCheckBox *m_show3d = nullptr;
    int m_selected = 0;
    bool m_intervalChanged = false;
    bool m_placed = false;
};

} // namespace sorvant
