#include "models/BrimQRModel.h"

#include "core/AtomicFile.h"
#include "models/BrimkitLogging.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent/QtConcurrentRun>

BrimQRModel::BrimQRModel(Environment environment, QObject *parent)
    : QObject(parent)
    , m_env(std::move(environment))
{
}

void BrimQRModel::setInput(const QString &input)
{
    if (input == m_input)
        return;
    m_input = input;
    m_png.reset();
    m_error.reset();
    Q_EMIT changed();
}

void BrimQRModel::generate()
{
    const Result<QByteArray, BrimQRFailure> png = m_env.codec->png(m_input);
    if (png) {
        m_png = png.value();
        m_error.reset();
    } else {
        m_png.reset();
        m_error = png.error().description();
    }
    Q_EMIT changed();
}

void BrimQRModel::save()
{
    if (!m_png)
        return;
    // The image shown when the user asked is the one saved, whatever happens
    // to the input while the panel is open.
    m_env.panels->askSavePNG(proposedFileName, [self = QPointer(this), png = *m_png](std::optional<QString> path) {
        if (self && path)
            self->writePNG(*path, png);
    });
}

void BrimQRModel::writePNG(const QString &path, const QByteArray &png)
{
    const Result<void, QString> written = writeFileAtomically(path, png);
    if (written)
        return;
    qCWarning(lcBrimkit) << "could not save the QR code to" << path << ":" << written.error();
    m_error = written.error();
    Q_EMIT changed();
}

void BrimQRModel::chooseImage()
{
    if (m_busy)
        return;
    m_env.panels->askImage(tr("Read QR Code"), [self = QPointer(this)](std::optional<QString> path) {
        if (!self || !path)
            return;
        self->startRead([codec = self->m_env.codec, file = *path] { return codec->readFile(file); });
    });
}

void BrimQRModel::pasteImage()
{
    if (m_busy)
        return;
    const std::optional<QByteArray> data = m_env.clipboard->imageData();
    if (!data) {
        m_error = tr("Copy an image first, then choose Paste image.");
        Q_EMIT changed();
        return;
    }
    startRead([codec = m_env.codec, data = *data] { return codec->read(data); });
}

void BrimQRModel::copyImage()
{
    if (m_png)
        m_env.clipboard->setPNG(*m_png);
}

void BrimQRModel::copyText(const QString &text)
{
    m_env.clipboard->setText(text);
}

void BrimQRModel::startRead(std::function<Outcome()> work)
{
    if (m_busy)
        return;
    m_busy = true;
    m_error.reset();
    m_decoded.clear();
    Q_EMIT changed();
    // The watcher belongs to the model: once the model is gone the result is
    // dropped on the worker's side and nothing comes back.
    auto *watcher = new QFutureWatcher<Outcome>(this);
    connect(watcher, &QFutureWatcher<Outcome>::finished, this, [this, watcher] {
        watcher->deleteLater();
        finishRead(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

void BrimQRModel::finishRead(const Outcome &outcome)
{
    if (outcome)
        m_decoded = outcome.value();
    else
        m_error = outcome.error().description();
    m_busy = false;
    Q_EMIT changed();
}
