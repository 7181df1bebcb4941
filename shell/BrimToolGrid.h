#pragma once
// The panel's grid of tool cards in the user's order: three columns for more
// than four tools, two otherwise, or a hint when no tool is enabled. Cards
// are made once per tool and kept, so reordering moves them without
// rebuilding.

#include "core/BrimTool.h"

#include <QList>
#include <QWidget>

#include <map>
#include <optional>

class BrimClickGuard;
class BrimkitModel;
class BrimToolCard;
class QGridLayout;
class QLabel;

class BrimToolGrid : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 10;

    // The grid keeps this width whatever it shows.
    explicit BrimToolGrid(int width, QWidget *parent = nullptr);

    // A new order of the same tools waits while the pointer is over the grid.
    void setTools(const QList<BrimTool> &ordered, const QList<BrimTool> &favorites);
    void setSelected(std::optional<BrimTool> tool);
    // Status lines from the models; only cards whose line changed repaint.
    void refreshStatus(const BrimkitModel &model);

    // The tools in the order shown.
    const QList<BrimTool> &tools() const { return m_tools; }
    int columns() const { return m_tools.size() > 4 ? 3 : 2; }
    // The card of a tool on show, or null.
    BrimToolCard *card(BrimTool tool) const;

    // The card's short status text: "Active", the time left, "Due" or the
    // next alarm's time; nothing for the other tools.
    static std::optional<QString> status(BrimTool tool, const BrimkitModel &model);

Q_SIGNALS:
    void cardClicked(BrimTool tool);
    void favoriteClicked(BrimTool tool);

protected:
    void leaveEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    BrimToolCard *cardFor(BrimTool tool);
    void layOut(const QList<BrimTool> &ordered);

    int m_width;
    QGridLayout *m_layout;
    QLabel *m_empty;
    QList<BrimTool> m_tools;
    std::optional<QList<BrimTool>> m_pendingOrder;
    BrimClickGuard *m_guard;
    std::map<BrimTool::Value, BrimToolCard *> m_cards;
};
