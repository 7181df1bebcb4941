#pragma once
// The links tool: paste, clean and copy an address, pick a browser or Chrome
// profile and open the address there. Holds the panel's link state; the
// chosen browser id lives in the user defaults.

#include "models/BrimBrowser.h"

#include <QWidget>

#include <memory>
#include <optional>

class BrimClipboard;
class BrimkitModel;
class BrimWorkspace;
class UserDefaults;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class BrimLinkControls : public QWidget {
    Q_OBJECT

public:
    BrimLinkControls(BrimkitModel &model, std::shared_ptr<UserDefaults> defaults,
                     std::shared_ptr<BrimWorkspace> workspace, std::shared_ptr<BrimClipboard> clipboard,
                     QWidget *parent = nullptr);

    // Runs browser discovery again; the panel calls it each time it is shown.
    void discoverBrowsers();

    QString link() const;
    const std::optional<QString> &cleaned() const { return m_cleaned; }
    const QList<BrimBrowser> &browsers() const { return m_browsers; }
    QString browserID() const;

private:
    void createLinkRows();
    void createBrowserRows();
    void paste();
    void clean();
    void copyCleaned();
    void open();
    void chooseBrowser(int index);
    // "Refresh browsers": discovers again and says how many it found.
    void refreshBrowsers();
    const BrimBrowser *chosenBrowser() const;
    // Buttons and the cleaned link; the picker only when browsers or the choice change.
    void refresh();
    void refreshPicker();

    BrimkitModel &m_model;
    std::shared_ptr<UserDefaults> m_defaults;
    std::shared_ptr<BrimWorkspace> m_workspace;
    std::shared_ptr<BrimClipboard> m_clipboard;
    std::optional<QString> m_cleaned;
    QList<BrimBrowser> m_browsers;

    QLineEdit *m_link;
    QPushButton *m_paste;
    QPushButton *m_clean;
    QWidget *m_cleanedRow;
    QLineEdit *m_cleanedText;
    QPushButton *m_copy;
    QComboBox *m_picker;
    QPushButton *m_refresh;
    QPushButton *m_open;
    QLabel *m_found;
};
