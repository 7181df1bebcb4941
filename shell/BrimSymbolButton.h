#pragma once
// A small borderless button showing one symbol (customize, close, dismiss,
// favourite). Styles draw no focus frame on such buttons, so it draws its
// own ring while it has the keyboard: the user sees where Tab went.

#include <QToolButton>

class BrimSymbolButton : public QToolButton {
    Q_OBJECT

public:
    // The name is read to assistive technologies and shown as the tooltip.
    explicit BrimSymbolButton(const QString &name = {}, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};
