#pragma once

#include "app/toolkit.h"

#include <QWidget>

#include <array>
#include <optional>

class QTimer;

namespace tarnwick::app {
class Application;
struct ControlDesign;
} // namespace tarnwick::app

namespace tarnwick {

class HistoryModel;

// The main window: the controls of the design (app/window_design.h), made with Qt widgets and named after their
// design names. It shows what app/ tells it (as the app::View) and forwards what the user does to the
// Application; it decides nothing itself.
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
    void centre() override;
    void showNormal() override;
    void showMinimized() override;
    void hideWindow() override;
    void bringToFront() override;

Q_SIGNALS:
    // The window was closed, for whatever reason (the close box, the window manager): the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *makeControl(const app::ControlDesign &design, QWidget *container);
    QWidget *control(app::Control control) const;
    template<typename Widget>
    Widget *controlAs(app::Control which) const
    {
        return static_cast<Widget *>(control(which));
    }
    std::optional<std::size_t> selectedFolderRow() const;
    int boxIndex(const QObject *object) const;
    void paintBackgrounds(const QColor &colour);

    app::Application *m_application = nullptr;
    std::array<QWidget *, 30> m_controls {};
    HistoryModel *m_history = nullptr;
    QTimer *m_timer1 = nullptr;
    bool m_hourglass = false;
};

} // namespace tarnwick
