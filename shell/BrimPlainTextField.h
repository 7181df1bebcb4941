#pragma once
// A multi-line field that keeps the user's text exactly. Qt's text document
// stores CR LF, CR and U+2029 as paragraph breaks, and its plain text turns
// those, U+2028 and U+00A0 into line feeds and spaces: read back naively, a
// pasted text would come back changed. This field keeps the exact text
// beside the document and applies each edit to it, so text set from outside
// is never echoed back and what the user types or pastes arrives as typed.
// Tab types a tab (two text operations are about tabs); Ctrl+Tab and
// Shift+Tab move the focus, as in other Qt editors.

#include <QPlainTextEdit>

#include <limits>

class BrimPlainTextField : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit BrimPlainTextField(QWidget *parent = nullptr);

    // The exact text.
    const QString &text() const { return m_text; }
    // Shows a text without announcing it as an edit.
    void setText(const QString &text);

    // Breaking lines only between words costs time quadratic in the length of
    // a word: a 200,000-character token (base64, a long link) would freeze the
    // panel. Texts with such words wrap anywhere instead.
    static void fitWrapping(QPlainTextEdit *editor, QStringView text);
    // What the document holds for a text: each line break is one U+2029.
    static QString documentForm(QStringView text);

Q_SIGNALS:
    // The user changed the text; carries the new exact text.
    void edited(const QString &text);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    void applyEdit();

    QString m_text;
    // The document's raw text as of m_text.
    QString m_shown;
    // The text being pasted or dropped, so it arrives unchanged.
    QString m_inserting;
    // Where the document says the pending change begins.
    qsizetype m_changedFrom = std::numeric_limits<qsizetype>::max();
    bool m_setting = false;
};
