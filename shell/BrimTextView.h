#pragma once
// The text tool: paste or type a text, choose a transformation, preview and
// copy the result. The clipboard is touched only by Paste text and Copy result.

#include <QWidget>

class BrimPlainTextField;
class BrimTextModel;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

class BrimTextView : public QWidget {
    Q_OBJECT

public:
    static constexpr int editorHeight = 96;

    explicit BrimTextView(BrimTextModel &model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *createInputSection();
    QWidget *createTransformSection();
    QWidget *createPreviewSection();
    void refresh();

    BrimTextModel &m_model;
    QPushButton *m_paste = nullptr;
    QPushButton *m_clear = nullptr;
    BrimPlainTextField *m_input = nullptr;
    QComboBox *m_operation = nullptr;
    QPlainTextEdit *m_preview = nullptr;
    QPushButton *m_copy = nullptr;
    QLabel *m_limit;
    QLabel *m_error;
};
