#pragma once

#include <QDialog>
#include <QIcon>

class QLabel;
class QPushButton;

namespace sorvant {

class BevelPanel;

// Sorvant's own icon at every size it ships, for the windows and the About box.
QIcon sorvantIcon();

// The About box: program name, version and build, and what it is for. Shown
// without blocking; it has no parent window, so it never stays on top of the
// main window, and it does not keep the program running once the main window
// has closed. OK or the close box hide it.
class TAboutBox : public QDialog
{
    Q_OBJECT
public:
    static constexpr QSize kClientSize{298, 251};

    explicit TAboutBox(QWidget *parent = nullptr);
    ~TAboutBox() override;

    // The About command: shows the box, or brings it forward when it is open.
    void showAbout();

    QPushButton *okButton() const { return m_okButton; }

public slots:
    void OKButtonClick();

private:
    QPushButton *m_okButton = nullptr;
};

} // namespace sorvant
