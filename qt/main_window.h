#pragma once

#include "app/toolkit.h"

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

namespace tarnwick::app {
class Application;
}

namespace tarnwick {

class HistoryModel;

// Twips, the unit of the window's design, at 96 dots per inch.
constexpr int Twips(int twips)
{
    return (twips + 7) / 15;
}

// The main window: the controls with their design names, captions and geometry. It shows what app/ tells it
// (as the app::View) and forwards what the user does to the Application; it decides nothing itself.
class MainWindow final : public QWidget, public app::View
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Forwards the controls' events to the application from now on.
    void connectTo(app::Application &application);
    QTimer &timer1() const { return *m_timer1; }
    HistoryModel &historyModel() const { return *m_history; }

    void setText(app::Control control, std::string_view text) override;
    void setChecked(app::Control control, bool checked) override;
    void setEnabled(app::Control control, bool enabled) override;
    void setVisible(app::Control control, bool visible) override;
    void setTimeOfDay(int secondOfDay) override;
    void setProgress(int maximum, int value) override;
    void selectAllText(app::Control box) override;
    void setFocus(app::Control control) override;
    void setColumns(app::Control listView, const std::vector<app::Column> &columns) override;
    void appendFolderRows(const std::vector<std::string> &rows) override;
    void removeFolderRow(std::size_t row) override;
    void clearFolderRows() override;
    void appendHistory(app::HistoryBatch batch) override;
    void clearHistory() override;
    void setPointer(app::Pointer pointer) override;
    void setButtonPointer(const std::string &cursorFile) override;
    void applySkinColours() override;
    void showNormal() override;
    void showMinimized() override;
    void hideInTray() override;
    void restoreFromTray() override;

Q_SIGNALS:
    // The window was closed, for whatever reason (the close box, the window manager): the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *control(app::Control control) const;
    QList<QPushButton *> pushButtons() const;
    std::optional<std::size_t> selectedFolderRow() const;
    int boxIndex(const QObject *object) const;
    void centre();

    app::Application *m_application = nullptr;
    HistoryModel *m_history = nullptr;
    QTimer *m_timer1 = nullptr;
    bool m_shownOnce = false;
    bool m_inTray = false;
    bool m_hourglass = false;

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
};

} // namespace tarnwick
