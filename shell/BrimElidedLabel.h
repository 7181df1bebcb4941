#pragma once
// One line of text that never widens its pane: what does not fit ends in
// "…", and the tooltip and accessible name carry the whole text.

#include <QLabel>

class BrimElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit BrimElidedLabel(const QString &text = {}, QWidget *parent = nullptr);

    void setFullText(const QString &text);
    const QString &fullText() const { return m_text; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void elide();

    QString m_text;
};
