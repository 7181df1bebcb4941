#pragma once
// The colour tool: pick from the screen, edit the hex text, see and copy the
// colour, and keep up to 20 saved colours.

#include <QStringList>
#include <QWidget>

class BrimColorModel;
class BrimColorSwatch;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

class BrimColorsView : public QWidget {
    Q_OBJECT

public:
    explicit BrimColorsView(BrimColorModel &model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QWidget *createColorPage();
    QWidget *createInvalidPage();
    QWidget *createSavedSection();
    void refresh();
    void refreshSaved(const QStringList &favorites);

    BrimColorModel &m_model;
    QPushButton *m_pick;
    QLineEdit *m_hexField;
    QLabel *m_error;
    // The colour's controls, or the hint to fix the text; both pages keep
    // one height so what follows does not move while the user types.
    QStackedWidget *m_states;
    BrimColorSwatch *m_swatch = nullptr;
    QLabel *m_rgb = nullptr;
    QPushButton *m_copyHex = nullptr;
    QPushButton *m_copyRGB = nullptr;
    QPushButton *m_favorite = nullptr;
    QWidget *m_saved = nullptr;
    QLabel *m_savedHeading = nullptr;
    QGridLayout *m_savedGrid = nullptr;
    QStringList m_shownFavorites;
};
