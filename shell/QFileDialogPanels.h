#pragma once
// Open and save panels through QFileDialog (the desktop's own dialog where
// Qt's platform theme provides one). One panel at a time, brought to the front.

#include "models/BrimFilePanels.h"

#include <QPointer>

class QFileDialog;

class QFileDialogPanels final : public BrimFilePanels {
public:
    ~QFileDialogPanels() override;

    void askSavePNG(const QString &proposedName, Handler handler) override;
    void askImage(const QString &title, Handler handler) override;

    // The panel on screen, if any.
    QFileDialog *current() const { return m_current; }

private:
    void present(QFileDialog *dialog, std::function<void(QString)> accepted, Handler handler);

    QPointer<QFileDialog> m_current;
};
