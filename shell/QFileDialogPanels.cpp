#include "shell/QFileDialogPanels.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QImageReader>

QFileDialogPanels::~QFileDialogPanels()
{
    delete m_current;
}

void QFileDialogPanels::askSavePNG(const QString &proposedName, Handler handler)
{
    auto *dialog = new QFileDialog;
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    dialog->setNameFilter(QCoreApplication::translate("QFileDialogPanels", "PNG image (*.png)"));
    // The dialog adds ".png" to a name without a suffix, before it asks
    // whether to replace an existing file: its question covers the real name.
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->selectFile(proposedName);
    present(dialog, [handler](const QString &path) { handler(path); }, handler);
}

void QFileDialogPanels::askImage(const QString &title, Handler handler)
{
    auto *dialog = new QFileDialog;
    dialog->setWindowTitle(title);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    dialog->setNameFilter(
        QCoreApplication::translate("QFileDialogPanels", "Images (%1)").arg(patterns.join(QLatin1Char(' '))));
    present(dialog, [handler](const QString &path) { handler(path); }, handler);
}

void QFileDialogPanels::present(QFileDialog *dialog, std::function<void(QString)> accepted, Handler handler)
{
    if (m_current) {
        delete dialog;
        m_current->raise();
        m_current->activateWindow();
        return;
    }
    m_current = dialog;
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    QObject::connect(dialog, &QDialog::finished, dialog, [this, dialog, accepted, handler](int result) {
        // Closed: the next panel may open at once, before this one is deleted.
        m_current = nullptr;
        const QString path = dialog->selectedFiles().value(0);
        if (result == QDialog::Accepted && !path.isEmpty())
            accepted(path);
        else
            handler(std::nullopt);
    });
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
}
