#pragma once
// The QR tool: a code generated from text (copied or saved as PNG), and the
// texts of the codes in an image chosen from disk or pasted. Images are read
// on a worker thread, one at a time.

#include "core/BrimQRFailure.h"
#include "core/Result.h"
#include "models/BrimClipboard.h"
#include "models/BrimFilePanels.h"
#include "models/BrimQRCodec.h"

#include <QByteArray>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

class BrimQRModel : public QObject {
    Q_OBJECT

public:
    struct Environment {
        std::shared_ptr<BrimClipboard> clipboard;
        std::shared_ptr<BrimFilePanels> panels;
        std::shared_ptr<const BrimQRCodec> codec;
    };

    static inline const QString proposedFileName = QStringLiteral("QR-Code.png");

    explicit BrimQRModel(Environment environment, QObject *parent = nullptr);

    // Published state; changed() follows every change.
    const QString &input() const { return m_input; }
    const std::optional<QByteArray> &png() const { return m_png; }
    const QStringList &decoded() const { return m_decoded; }
    bool busy() const { return m_busy; }
    const std::optional<QString> &error() const { return m_error; }

    // An edit drops the code shown and any message.
    void setInput(const QString &input);
    void generate();
    // Saves the code shown now, wherever the user confirms.
    void save();
    void chooseImage();
    void pasteImage();
    void copyImage();
    void copyText(const QString &text);

Q_SIGNALS:
    void changed();

private:
    using Outcome = Result<QStringList, BrimQRFailure>;
    void startRead(std::function<Outcome()> work);
    void finishRead(const Outcome &outcome);
    void writePNG(const QString &path, const QByteArray &png);

    Environment m_env;
    QString m_input;
    std::optional<QByteArray> m_png;
    QStringList m_decoded;
    bool m_busy = false;
    std::optional<QString> m_error;
};
