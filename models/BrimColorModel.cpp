#include "models/BrimColorModel.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

BrimColorModel::BrimColorModel(Environment environment, QObject *parent)
    : QObject(parent)
    , m_env(std::move(environment))
{
}

BrimColorModel::~BrimColorModel() = default;

void BrimColorModel::setHex(const QString &hex)
{
    if (hex == m_hex)
        return;
    m_hex = hex;
    Q_EMIT changed();
}

void BrimColorModel::sample()
{
    if (m_sampling)
        return;
    if (!m_env.sampler) {
        finishSample({BrimSampledColor::Outcome::unavailable, std::nullopt});
        return;
    }
    m_sampling = true;
    Q_EMIT changed();
    // The sampler may outlive us (another owner) or answer after we are gone.
    m_env.sampler->pick([self = QPointer(this)](const BrimSampledColor &sample) {
        if (self)
            self->finishSample(sample);
    });
}

void BrimColorModel::finishSample(const BrimSampledColor &sample)
{
    m_sampling = false;
    switch (sample.outcome) {
    case BrimSampledColor::Outcome::cancelled:
        break;
    case BrimSampledColor::Outcome::unavailable:
        m_error = unavailableMessage();
        break;
    case BrimSampledColor::Outcome::picked:
        if (const auto color = sample.srgb ? colorFromSRGB(*sample.srgb) : std::nullopt) {
            m_hex = color->hex();
            m_error.reset();
        } else {
            m_error = conversionFailedMessage();
        }
        break;
    }
    Q_EMIT changed();
    Q_EMIT sampleEnded(sample.outcome);
}

std::optional<BrimRGB> BrimColorModel::colorFromSRGB(const std::array<double, 3> &srgb)
{
    std::array<std::uint8_t, 3> components{};
    for (std::size_t i = 0; i < srgb.size(); ++i) {
        if (!std::isfinite(srgb[i]))
            return std::nullopt;
        // std::lround rounds halves away from zero: 0.5 gives 127.5, then 128.
        components[i] = std::uint8_t(std::lround(std::clamp(srgb[i], 0.0, 1.0) * 255.0));
    }
    return BrimRGB{components[0], components[1], components[2]};
}

void BrimColorModel::copyHex()
{
    if (const auto rgb = color(); rgb && m_env.clipboard)
        m_env.clipboard->setText(rgb->hex());
}

void BrimColorModel::copyRGB()
{
    if (const auto rgb = color(); rgb && m_env.clipboard)
        m_env.clipboard->setText(rgb->rgb());
}

QStringList BrimColorModel::favoritesFromText(QStringView stored)
{
    QStringList list;
    for (QStringView piece : stored.split(u',', Qt::SkipEmptyParts)) {
        if (list.size() == savedColorLimit)
            break;
        const auto rgb = BrimRGB::fromHex(piece);
        if (!rgb)
            continue;
        const QString hex = rgb->hex();
        if (!list.contains(hex))
            list << hex;
    }
    return list;
}

QStringList BrimColorModel::favorites() const
{
    return m_env.defaults ? favoritesFromText(m_env.defaults->stringValue(savedColorsKey).value_or(QString()))
                          : QStringList();
}

bool BrimColorModel::isFavorite() const
{
    const auto rgb = color();
    return rgb && favorites().contains(rgb->hex());
}

bool BrimColorModel::canToggleFavorite() const
{
    const auto rgb = color();
    if (!rgb || !m_env.defaults)
        return false;
    const QStringList list = favorites();
    return list.contains(rgb->hex()) || list.size() < savedColorLimit;
}

void BrimColorModel::toggleFavorite()
{
    const auto rgb = color();
    if (!rgb || !m_env.defaults)
        return;
    const QString hex = rgb->hex();
    QStringList list = favorites();
    // The list read is already distinct, so one removal removes every copy.
    if (!list.removeOne(hex) && list.size() < savedColorLimit)
        list << hex;
    // Writing also normalizes the stored text, even when the list is full.
    const QString text = list.join(u',');
    if (m_env.defaults->stringValue(savedColorsKey) == text)
        return;
    m_env.defaults->setString(savedColorsKey, text);
    Q_EMIT changed();
}

QString BrimColorModel::invalidHexMessage()
{
    return tr("Enter a 3- or 6-digit HEX color.");
}

QString BrimColorModel::conversionFailedMessage()
{
    return tr("This color could not be converted to RGB.");
}

QString BrimColorModel::unavailableMessage()
{
    return tr("Picking a color from the screen is not available on this desktop.");
}
