#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimeEdit;
class QTimer;
class QTreeWidget;

namespace tarnwick {

// Twips, the unit of the window's design, at 96 dots per inch.
constexpr int Twips(int twips)
{
    return (twips + 7) / 15;
}

// The main window: it builds the controls with their design names, captions and geometry, and tells when the
// user closes or minimises it. What the controls do lives in the controllers that Application wires up.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);

    QGroupBox *Frame4 = nullptr;
    QProgressBar *ProgressBar2 = nullptr;
    QTreeWidget *ListView1 = nullptr;
    QPushButton *PushButton3 = nullptr;
    QPushButton *PushButton4 = nullptr;
    QPushButton *PushButton7 = nullptr;
    QPushButton *PushButton8 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QCheckBox *Check4 = nullptr;
    QCheckBox *Check8 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QRadioButton *Option3 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLabel *Label3 = nullptr;
    QRadioButton *Option4 = nullptr;
    QTimeEdit *dtpWeekly = nullptr;
    QRadioButton *Option5 = nullptr;
    QComboBox *cboWeekly = nullptr;
    QTableView *ListView2 = nullptr;
    QPushButton *PushButton5 = nullptr;
    QPushButton *PushButton1 = nullptr;
    QPushButton *PushButton2 = nullptr;
    QPushButton *PushButton11 = nullptr;
    QPushButton *PushButton12 = nullptr;
    QPushButton *PushButton6 = nullptr;
    QTimer *Timer1 = nullptr;

    QList<QPushButton *> pushButtons() const;

    // The design colours, or the system's button face when the skin file is present.
    void applySkinColours();
    // The pointer shown over push buttons: the cursor file's picture, or the platform's hand.
    void setButtonCursor(const QCursor &cursor);
    // Centres the window on its screen.
    void centre();

Q_SIGNALS:
    // The window is being closed, for whatever reason (the close box, the window manager, a signal).
    void closing();
    // The window has just been minimised.
    void minimized();
    // The window has just been shown, whatever showed it.
    void shown();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
};

} // namespace tarnwick
