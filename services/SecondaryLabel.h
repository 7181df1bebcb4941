#pragma once
// Small secondary text under a control: a smaller font in the palette's
// placeholder colour, wrapped.

#include <QLabel>

class SecondaryLabel : public QLabel {
    Q_OBJECT
public:
    explicit SecondaryLabel(const QString &text = {}, QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyPalette();
};
