#include "models/BrimTextModel.h"

#include "core/UnicodeText.h"

namespace {
bool exceedsLimit(QStringView text)
{
    // Every character takes at least one code unit.
    return text.size() > BrimTextModel::characterLimit
        && UnicodeText::characterCount(text) > BrimTextModel::characterLimit;
}
} // namespace

BrimTextModel::BrimTextModel(std::shared_ptr<BrimClipboard> clipboard, QObject *parent)
    : QObject(parent)
    , m_clipboard(std::move(clipboard))
{
}

BrimTextModel::~BrimTextModel() = default;

QString BrimTextModel::output() const
{
    return m_overLimit ? QString() : m_operation.apply(m_input);
}

void BrimTextModel::setInput(const QString &input)
{
    if (input == m_input)
        return;
    replaceInput(input, exceedsLimit(input));
}

void BrimTextModel::replaceInput(const QString &input, bool overLimit)
{
    m_input = input;
    m_overLimit = overLimit;
    m_error.reset();
    Q_EMIT changed();
}

void BrimTextModel::setOperation(BrimTextOperation operation)
{
    if (operation == m_operation)
        return;
    m_operation = operation;
    Q_EMIT changed();
}

void BrimTextModel::clear()
{
    if (m_input.isEmpty() && !m_error)
        return;
    replaceInput(QString(), false);
}

void BrimTextModel::paste()
{
    const QString text = m_clipboard ? m_clipboard->text().value_or(QString()) : QString();
    if (exceedsLimit(text)) {
        m_error = limitMessage();
        Q_EMIT changed();
        return;
    }
    replaceInput(text, false);
}

void BrimTextModel::copyResult()
{
    if (canCopy() && m_clipboard)
        m_clipboard->setText(output());
}

QString BrimTextModel::limitMessage()
{
    return tr("Use text up to 200,000 characters.");
}
