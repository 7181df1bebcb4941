#pragma once
// The QR tool's view: text in, a code out (copy or save), and the texts of the
// codes in a chosen or pasted image, each shown as plain text with its own
// copy button. Fits a narrow pane: long texts wrap anywhere.

#include <QStringList>
#include <QWidget>

class BrimPlainTextField;
class BrimQRModel;
class QLabel;
class QPushButton;
class QVBoxLayout;

class BrimQRView : public QWidget {
    Q_OBJECT

public:
    explicit BrimQRView(BrimQRModel &model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *createGenerateSection();
    QWidget *createReadSection();
    void refresh();
    void refreshDecoded();

    BrimQRModel &m_model;
    BrimPlainTextField *m_input = nullptr;
    QLabel *m_counter = nullptr;
    QPushButton *m_generate = nullptr;
    QLabel *m_preview = nullptr;
    QWidget *m_imageActions = nullptr;
    QWidget *m_reading = nullptr;
    QWidget *m_decoded = nullptr;
    QVBoxLayout *m_decodedRows = nullptr;
    QStringList m_shownDecoded;
    QLabel *m_error = nullptr;
};
