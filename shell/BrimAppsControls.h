#pragma once
// The apps tool: one button per sibling application of the suite, disabled
// with an explanation when that application is not installed.

#include <QList>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class BrimkitModel;
class BrimWorkspace;
class QPushButton;

class BrimAppsControls : public QWidget {
    Q_OBJECT

public:
    BrimAppsControls(BrimkitModel &model, std::shared_ptr<BrimWorkspace> workspace, QWidget *parent = nullptr);

    // Looks the applications up again; also done each time the content is shown.
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Sibling {
        QString title;
        QString identifier;
        QPushButton *button = nullptr;
        std::optional<QUrl> location;
    };

    void open(const Sibling &sibling);

    BrimkitModel &m_model;
    std::shared_ptr<BrimWorkspace> m_workspace;
    QList<Sibling> m_siblings;
};
