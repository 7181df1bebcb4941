#pragma once
// The colour tool: the colour text the user edits or samples from the screen,
// copying it in two forms, and up to 20 saved colours kept in user defaults.

#include "core/BrimRGB.h"
#include "core/UserDefaults.h"
#include "models/BrimClipboard.h"
#include "models/BrimColorSampler.h"

#include <QObject>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class BrimColorModel : public QObject {
    Q_OBJECT

public:
    struct Environment {
        std::shared_ptr<BrimColorSampler> sampler;
        std::shared_ptr<UserDefaults> defaults;
        std::shared_ptr<BrimClipboard> clipboard;
    };

    static inline const QString savedColorsKey = QStringLiteral("brimkitSavedColors");
    static constexpr int savedColorLimit = 20;

    explicit BrimColorModel(Environment environment, QObject *parent = nullptr);
    ~BrimColorModel() override;

    // Published state; changed() follows every change.
    const QString &hex() const { return m_hex; }
    bool sampling() const { return m_sampling; }
    const std::optional<QString> &error() const { return m_error; }

    // Not validated: the field may hold anything while the user types.
    void setHex(const QString &hex);
    // Opens the screen sampler unless it is open already.
    void sample();

    // The colour the text stands for, if it parses.
    std::optional<BrimRGB> color() const { return BrimRGB::fromHex(m_hex); }
    // Clear the clipboard and put the colour's hex or rgb text on it; nothing
    // happens while the text does not parse.
    void copyHex();
    void copyRGB();

    // Saved colours as stored: normalized, distinct, at most 20, oldest first.
    QStringList favorites() const;
    bool isFavorite() const;
    // False when the text does not parse, or 20 colours are saved and this
    // one is not among them.
    bool canToggleFavorite() const;
    // Removes the current colour from the saved ones, or appends it.
    void toggleFavorite();
    // Shows a saved colour.
    void choose(const QString &favorite) { setHex(favorite); }

    // The stored text read as a list (see favorites()).
    static QStringList favoritesFromText(QStringView stored);
    // The sampled components as a colour: clamped to 0…1, scaled to 255 and
    // rounded half away from zero; nothing when a component is not finite.
    static std::optional<BrimRGB> colorFromSRGB(const std::array<double, 3> &srgb);

    static QString invalidHexMessage();
    static QString conversionFailedMessage();
    static QString unavailableMessage();

Q_SIGNALS:
    void changed();
    // A sample() came back (after changed()); error() says whether it failed.
    void sampleEnded(BrimSampledColor::Outcome outcome);

private:
    void finishSample(const BrimSampledColor &sample);

    Environment m_env;
    QString m_hex = QStringLiteral("#78580D");
    bool m_sampling = false;
    std::optional<QString> m_error;
};
