#pragma once
// The tray item's pop-up: a header with the customize button, the model's
// message, the grid of tools in the user's order beside the detail pane of
// the selected tool (or the settings), and Quit. It owns the stored tool
// lists and the colour, text and QR models. Its size is fixed, the message
// bar included, and it keeps itself on the screen next to the tray icon.

#include "core/BrimClock.h"
#include "core/BrimTool.h"
#include "core/UserDefaults.h"
#include "platform/DesktopNotificationSettings.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>
#include <memory>
#include <optional>

class BrimClipboard;
class BrimColorModel;
class BrimColorSampler;
class BrimFilePanels;
class BrimFileReveal;
class BrimLinkControls;
struct BrimPanelAside;
class BrimWorkspace;
class AppUpdates;
class BrimkitModel;
class BrimPanelCustomization;
class BrimQRCodec;
class BrimQRModel;
class BrimShortcutsModel;
class BrimTextModel;
class BrimToolGrid;
class OstrelSignals;
class QLabel;
class QScrollArea;
class QTimer;
class QToolButton;
class QVBoxLayout;

class BrimkitPanel : public QWidget {
    Q_OBJECT

public:
    struct Environment {
        std::shared_ptr<UserDefaults> defaults;
        std::shared_ptr<BrimClock> clock;
        std::shared_ptr<BrimClipboard> clipboard;
        std::shared_ptr<BrimColorSampler> colorSampler;
        std::shared_ptr<BrimFilePanels> filePanels;
        std::shared_ptr<BrimFileReveal> fileReveal;
        // Browsers and the suite's other applications.
        std::shared_ptr<BrimWorkspace> workspace;
        std::shared_ptr<const BrimQRCodec> qrCodec;
        // The feedback window and the usage-statistics switches.
        OstrelSignals *signals = nullptr;
        std::optional<DesktopNotificationSettings> notificationSettings;
        // Global shortcuts, set in the settings; absent, the settings have no such section.
        std::shared_ptr<BrimShortcutsModel> shortcuts;
    };

    static constexpr int gridWidth = 300;
    // What the tool views get; the pane adds its scroll bar.
    static constexpr int contentWidth = 330;
    static constexpr int preferredPaneHeight = 430;

    // Without an update controller the settings offer no update check.
    BrimkitPanel(BrimkitModel &model, AppUpdates *updates, Environment environment, QWidget *parent = nullptr);
    ~BrimkitPanel() override;

    // Shows the panel against the tray icon's rectangle (global coordinates),
    // or at the pointer when the tray host gave none. Discovers browsers,
    // migrates the stored tool lists and synchronises the alarms first.
    void popUp(const QRect &anchor);
    // Hidden just now because another window took the focus (the tray, when
    // it is clicked): that click must not reopen it. Escape and the tray's own
    // toggle leave it free to open again at once.
    bool justClosed() const;

    std::optional<BrimTool> selected() const { return m_selected; }
    bool isCustomizing() const { return m_customizing; }
    QList<BrimTool> ordered() const;
    // What tapping a card does: select it, or close the pane when it was selected.
    void tapCard(BrimTool tool);
    void toggleCustomizing();
    void closeDetail();
    void setToolEnabled(BrimTool tool, bool enabled);
    void toggleFavorite(BrimTool tool);

    BrimToolGrid *grid() const { return m_grid; }
    // The detail pane, visible while a tool or the settings are shown.
    QWidget *detailPane() const { return m_pane; }
    // A tool's content, once it has been shown.
    QWidget *content(BrimTool tool) const;
    BrimPanelCustomization *customization() const { return m_customization; }
    BrimColorModel &colorsTool() const { return *m_colorsTool; }
    BrimTextModel &textTool() const { return *m_textTool; }
    BrimQRModel &qrTool() const { return *m_qrTool; }

Q_SIGNALS:
    void quitRequested();
    // Where the panel is on screen while it shows; an empty rectangle once hidden.
    void frameChanged(const QRect &frame);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    // Tab follows the panel's layout, also through rows made while it is open.
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *createHeader();
    QWidget *createMessageBar();
    QWidget *createBody();
    QWidget *createFooter();
    QWidget *toolContent(BrimTool tool);
    QWidget *makeToolContent(BrimTool tool);
    void applyTheme();
    void tintSymbol(QToolButton *button, const QString &symbol);
    void applyPreferences();
    void refreshDetail();
    void focusPane();
    QList<QWidget *> tabStops() const;
    void refreshMessage();
    void place();
    // Hooks for the dialogs and pickers the tools open: the panel hides
    // while they are up and returns, where it was, when they close.
    BrimPanelAside aside();
    bool stepAside();
    void comeBack();
    // Hidden a while: the window and its drawing surface go (showing makes them again).
    void releaseWhileHidden();

    BrimkitModel &m_model;
    AppUpdates *m_updates;
    Environment m_env;
    std::unique_ptr<BrimColorModel> m_colorsTool;
    std::unique_ptr<BrimTextModel> m_textTool;
    std::unique_ptr<BrimQRModel> m_qrTool;

    bool m_customizing = false;
    std::optional<BrimTool> m_selected;
    QRect m_anchor;
    QElapsedTimer m_hiddenAt;
    QTimer *m_releaseTimer = nullptr;
    bool m_firstPaintPending = false;
    bool m_returning = false;
    QPointer<QWidget> m_returnFocus;
    bool m_theming = false;

    QToolButton *m_customize = nullptr;
    QToolButton *m_dismiss = nullptr;
    QToolButton *m_close = nullptr;
    QWidget *m_quit = nullptr;
    QWidget *m_messageBar = nullptr;
    QLabel *m_message = nullptr;
    BrimToolGrid *m_grid = nullptr;
    QWidget *m_pane = nullptr;
    QLabel *m_paneTitle = nullptr;
    QScrollArea *m_scroll = nullptr;
    QVBoxLayout *m_contents = nullptr;
    QLabel *m_paneHint = nullptr;
    QWidget *m_slot = nullptr;
    // Re-tint the symbols when the desktop switches between light and dark.
    QList<std::function<void()>> m_tints;
    std::map<BrimTool::Value, QWidget *> m_toolContents;
    BrimPanelCustomization *m_customization = nullptr;
};
