#pragma once
// One tool of the panel's grid: its symbol, title and status line, drawn as
// one button, with a small favourite star in its corner. Assistive
// technologies read "Timer, 01:05" and learn which card is selected.

#include "core/BrimTool.h"

#include <QAbstractButton>
#include <QFont>

#include <optional>

class QToolButton;

class BrimToolCard : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int height = 74;

    explicit BrimToolCard(BrimTool tool, QWidget *parent = nullptr);

    BrimTool tool() const { return m_tool; }
    QToolButton *star() const { return m_star; }

    void setStatus(const std::optional<QString> &status);
    const std::optional<QString> &status() const { return m_status; }
    void setFavorite(bool favorite);
    bool isFavorite() const { return m_favorite; }
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    QSize sizeHint() const override;

    // Every card of a grid shows its title in one size: the largest (down to
    // 80 %) at which the widest of the titles fits the width.
    static QFont titleFontFor(const QStringList &titles, int width, QFont font);
    void setTitleFont(const QFont &font);
    // The width a title has in this card.
    int titleWidth() const;

Q_SIGNALS:
    void favoriteClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void refreshStar();
    void refreshAccessibleName();

    BrimTool m_tool;
    std::optional<QString> m_status;
    bool m_favorite = false;
    bool m_selected = false;
    std::optional<QFont> m_titleFont;
    QToolButton *m_star;
};
