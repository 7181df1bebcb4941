#pragma once
// The text tool: the text the user works on, the chosen transformation and
// its result. The clipboard is read only on paste and written only on copy;
// nothing is ever written to disk.

#include "core/BrimTextOperation.h"
#include "models/BrimClipboard.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class BrimTextModel : public QObject {
    Q_OBJECT

public:
    // User-perceived characters (grapheme clusters), not code units.
    static constexpr qsizetype characterLimit = 200'000;

    explicit BrimTextModel(std::shared_ptr<BrimClipboard> clipboard, QObject *parent = nullptr);
    ~BrimTextModel() override;

    // Published state; changed() follows every change.
    const QString &input() const { return m_input; }
    BrimTextOperation operation() const { return m_operation; }
    const std::optional<QString> &error() const { return m_error; }

    // The transformed input, computed on every read; "" over the limit.
    QString output() const;
    bool isOverLimit() const { return m_overLimit; }
    // "Copy result" is offered for a non-empty input within the limit.
    bool canCopy() const { return !m_input.isEmpty() && !m_overLimit; }

    // A changed input also clears the error.
    void setInput(const QString &input);
    void setOperation(BrimTextOperation operation);
    void clear();
    // Replaces the input with the clipboard's text ("" when it holds none);
    // text over the limit leaves the input as it is and sets the error.
    void paste();
    // Clears the clipboard and puts the output on it, when copying is offered.
    void copyResult();

    static QString limitMessage();

Q_SIGNALS:
    void changed();

private:
    void replaceInput(const QString &input, bool overLimit);

    std::shared_ptr<BrimClipboard> m_clipboard;
    QString m_input;
    BrimTextOperation m_operation = BrimTextOperation::plain;
    std::optional<QString> m_error;
    // Counting characters walks the whole text, so it is done once per input.
    bool m_overLimit = false;
};
