#pragma once
// A filled rounded rectangle showing a colour at full opacity; assistive
// technologies read "Color preview" and the colour's hex text.

#include <QColor>
#include <QWidget>

class BrimColorSwatch : public QWidget {
    Q_OBJECT

public:
    static constexpr int swatchHeight = 65;

    explicit BrimColorSwatch(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color, const QString &hex);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};
