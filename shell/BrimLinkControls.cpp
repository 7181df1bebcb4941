#include "shell/BrimLinkControls.h"

#include "core/BrimToolPreferences.h"
#include "core/BrimURL.h"
#include "core/UserDefaults.h"
#include "models/BrimClipboard.h"
#include "models/BrimkitModel.h"
#include "services/DisabledReason.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <limits>

BrimLinkControls::BrimLinkControls(BrimkitModel &model, std::shared_ptr<UserDefaults> defaults,
                                   std::shared_ptr<BrimWorkspace> workspace,
                                   std::shared_ptr<BrimClipboard> clipboard, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_defaults(std::move(defaults))
    , m_workspace(std::move(workspace))
    , m_clipboard(std::move(clipboard))
    , m_link(new QLineEdit)
    , m_paste(new QPushButton(tr("Paste URL")))
    , m_clean(new QPushButton(tr("Clean URL")))
    , m_cleanedRow(new QWidget)
    , m_cleanedText(new QLineEdit)
    , m_copy(new QPushButton(tr("Copy cleaned URL")))
    , m_picker(new QComboBox)
    , m_refresh(new QPushButton(tr("Refresh browsers")))
    , m_open(new QPushButton(tr("Open link")))
    , m_found(new QLabel)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    createLinkRows();
    createBrowserRows();
    setFocusProxy(m_link);
    refresh();
    refreshPicker();
}

void BrimLinkControls::createLinkRows()
{
    m_link->setPlaceholderText(tr("Paste an https:// link"));
    m_link->setAccessibleName(tr("Link"));
    m_link->setClearButtonEnabled(true);
    // A line edit cuts text at 32,767 characters by default: an address
    // longer than that would be cleaned and opened shortened, silently.
    m_link->setMaxLength(std::numeric_limits<int>::max());
    connect(m_link, &QLineEdit::textChanged, this, [this] {
        // A cleaned link belongs to the text it was cleaned from.
        m_cleaned.reset();
        refresh();
    });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_paste);
    buttons->addWidget(m_clean);
    buttons->addStretch();
    m_paste->setAccessibleName(m_paste->text());
    m_clean->setAccessibleName(m_clean->text());
    connect(m_paste, &QPushButton::clicked, this, &BrimLinkControls::paste);
    connect(m_clean, &QPushButton::clicked, this, &BrimLinkControls::clean);

    auto *cleanedRow = new QHBoxLayout(m_cleanedRow);
    cleanedRow->setContentsMargins(0, 0, 0, 0);
    // Read-only field rather than a label: selectable, and a long address
    // scrolls instead of widening the panel.
    m_cleanedText->setReadOnly(true);
    m_cleanedText->setFrame(false);
    m_cleanedText->setAccessibleName(tr("Cleaned URL"));
    m_copy->setAccessibleName(m_copy->text());
    cleanedRow->addWidget(m_cleanedText, 1);
    cleanedRow->addWidget(m_copy);
    connect(m_copy, &QPushButton::clicked, this, &BrimLinkControls::copyCleaned);

    auto *column = static_cast<QVBoxLayout *>(layout());
    column->addWidget(m_link);
    column->addLayout(buttons);
    column->addWidget(m_cleanedRow);
}

void BrimLinkControls::createBrowserRows()
{
    auto *pickerRow = new QHBoxLayout;
    auto *label = new QLabel(tr("Browser"));
    label->setBuddy(m_picker);
    m_picker->setAccessibleName(tr("Browser"));
    m_picker->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_picker->setMinimumContentsLength(12);
    pickerRow->addWidget(label);
    pickerRow->addWidget(m_picker, 1);
    connect(m_picker, &QComboBox::activated, this, &BrimLinkControls::chooseBrowser);

    auto *actions = new QHBoxLayout;
    actions->addWidget(m_refresh);
    actions->addStretch();
    actions->addWidget(m_open);
    m_refresh->setAccessibleName(m_refresh->text());
    m_open->setAccessibleName(m_open->text());
    connect(m_refresh, &QPushButton::clicked, this, &BrimLinkControls::refreshBrowsers);
    connect(m_open, &QPushButton::clicked, this, &BrimLinkControls::open);

    auto *caption = new QLabel(tr("Opens only the link you supply. Your default browser stays unchanged."));
    caption->setWordWrap(true);
    caption->setForegroundRole(QPalette::PlaceholderText);
    // Below everything else, so nothing moves when it appears.
    m_found->setForegroundRole(QPalette::PlaceholderText);
    m_found->hide();

    auto *column = static_cast<QVBoxLayout *>(layout());
    column->addLayout(pickerRow);
    column->addLayout(actions);
    column->addWidget(caption);
    column->addWidget(m_found);
}

void BrimLinkControls::refreshBrowsers()
{
    discoverBrowsers();
    const auto count = std::count_if(m_browsers.cbegin(), m_browsers.cend(), [](const BrimBrowser &b) { return !b.profile; });
    m_found->setText(count == 0 ? tr("No browsers found.")
                     : count == 1 ? tr("Found 1 browser.")
                                  : tr("Found %1 browsers.").arg(count));
    m_found->show();
}

void BrimLinkControls::discoverBrowsers()
{
    m_found->hide();
    m_browsers = BrimBrowser::discover(*m_workspace);
    refresh();
    refreshPicker();
}

QString BrimLinkControls::link() const
{
    return m_link->text();
}

QString BrimLinkControls::browserID() const
{
    return m_defaults->stringValue(BrimToolPreferences::browserKey)
        .value_or(QString(BrimToolPreferences::defaultBrowser));
}

void BrimLinkControls::paste()
{
    m_link->setText(m_clipboard->text().value_or(QString()));
}

void BrimLinkControls::clean()
{
    // The text as typed: the rules refuse surrounding spaces themselves.
    const Result<QString, BrimURLError> result = BrimURL::clean(link());
    if (!result.ok()) {
        m_model.setMessage(result.error().description());
        return;
    }
    m_cleaned = result.value();
    refresh();
}

void BrimLinkControls::copyCleaned()
{
    if (!m_cleaned)
        return;
    m_clipboard->setText(*m_cleaned);
    m_model.setMessage(tr("Cleaned URL copied."));
}

void BrimLinkControls::open()
{
    const Result<QString, BrimURLError> url = BrimURL::validated(m_cleaned.value_or(link()));
    if (!url.ok()) {
        m_model.setMessage(url.error().description());
        return;
    }
    const BrimBrowser *browser = chosenBrowser();
    if (!browser)
        return;
    browser->open(url.value(), *m_workspace, [this](const QString &failure) { m_model.setMessage(failure); });
}

void BrimLinkControls::chooseBrowser(int index)
{
    const QString id = m_picker->itemData(index).toString();
    if (id == browserID())
        return;
    m_defaults->setString(BrimToolPreferences::browserKey, id);
    refresh();
    refreshPicker();
}

const BrimBrowser *BrimLinkControls::chosenBrowser() const
{
    const QString id = browserID();
    for (const BrimBrowser &browser : m_browsers) {
        if (browser.id == id)
            return &browser;
    }
    return nullptr;
}

void BrimLinkControls::refresh()
{
    const QString noLink = tr("Paste or type a link first.");
    setDisabledReason(m_clean, link().trimmed().isEmpty() ? std::optional(noLink) : std::nullopt);
    m_cleanedRow->setVisible(m_cleaned.has_value());
    m_cleanedText->setText(m_cleaned.value_or(QString()));
    m_cleanedText->setCursorPosition(0);
    setDisabledReason(m_open, link().isEmpty() ? std::optional(noLink)
                              : !chosenBrowser() ? std::optional(tr("Choose a browser first."))
                                                 : std::nullopt);
}

void BrimLinkControls::refreshPicker()
{
    const QString id = browserID();
    const QSignalBlocker blocker(m_picker);
    m_picker->clear();
    if (!chosenBrowser())
        m_picker->addItem(tr("Choose a browser"), id);
    for (const BrimBrowser &browser : std::as_const(m_browsers))
        m_picker->addItem(browser.title, browser.id);
    m_picker->setCurrentIndex(std::max(0, m_picker->findData(id)));
}
